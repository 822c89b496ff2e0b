#pragma once

#include "HostileForms.h"

#include <QString>

#include <string>
#include <vector>

namespace tabrivel::testing {

// The base name a table's statements carry: its file name without the extension, as
// UTF-8 text (bytes that are not UTF-8 read as U+FFFD).
QString BaseNameOf(const std::string& fileName);

// The longest name the form's dialect lets through whole, in the units that dialect
// counts (PostgreSQL bytes, MySQL characters); 0 when it takes any length.
int DialectNameLimit(const ScriptForm& form);
bool LongerThanDialectTakes(const ScriptForm& form, const QString& name);

// Why a table that landed as `landed` is not where the form should have put it in that
// database; empty when it is.
std::string WrongTableName(const std::string& landed, const QString& baseName,
                           const ScriptForm& form, Database database);

// The same for its columns, given the field names the reader read.
std::string WrongColumnNames(const std::vector<std::string>& landed,
                             const std::vector<std::string>& fieldNames, const ScriptForm& form,
                             Database database);

} // namespace tabrivel::testing
