#pragma once

#include "FixtureTables.h"
#include "LoadedCells.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tabrivel::testing {

// A running database server as a load test sees it.
struct ServerUnderTest {
    std::function<QString()> empty;                    // drops every table; error text
    std::function<QString(const QString& script)> run; // runs a script file; error text
    std::function<std::vector<std::vector<std::optional<std::string>>>(const std::string& table,
                                                                       std::string& error)>
        rows;
};

// Converts every fixture table with `load` in this process, runs the script on the
// server and compares every cell read back with what the reader read; fails the
// current test at the first difference.
void CheckServerLoad(const ServerUnderTest& server, const LoadOptions& load,
                     const QString& tableFolder, const std::vector<FixtureTable>& fixtures);

// One data row per option combination of the dialect, named by its command line.
void AddCombinationRows(Dialect dialect, bool withCopy);

} // namespace tabrivel::testing
