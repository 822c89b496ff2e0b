#pragma once

#include "engine/ValueText.h"

#include <QString>

#include <string>
#include <vector>

namespace tabrivel::testing {

struct CompanionResult {
    int status = -1;
    std::string script; // what -o wrote
    std::string errors; // what went to standard error
};

// Runs the companion's whole code path in this process, writing the script (unless the
// arguments name a database) to `folder`/out.sql and the reports to `folder`/errors.txt; a usage
// error gives status 2 with the parser's message.
CompanionResult RunCompanionInto(const QString& folder, std::vector<std::string> arguments,
                                 const ValueFormat& format = ValueFormat());

std::string ReadWholeFile(const std::string& path);

} // namespace tabrivel::testing
