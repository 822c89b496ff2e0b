#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tabrivel::testing {

// Small tables that load tests put through every path into a database: every field
// type, nulls, apostrophes, backslashes, line breaks in memos, NUL bytes, cp866 text.
struct FixtureTable {
    std::string name;     // a plain identifier, usable as a base name under any quoting
    std::string fileName; // the table's file name within the folder
};

// Writes every fixture table (and its memo file) into `folder` and lists them.
std::vector<FixtureTable> WriteFixtureTables(const std::filesystem::path& folder);

} // namespace tabrivel::testing
