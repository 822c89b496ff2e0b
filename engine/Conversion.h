#pragma once

#include "engine/TableSource.h"
#include "engine/ValueText.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tabrivel {

// The four options of the window, with the window's defaults.
struct ConversionOptions {
    std::string tableName = "Table1";
    std::string delimiter = "'";
    bool semicolon = true;
    bool createTable = true;
    TableOpenOptions open;
};

using StatementSink = std::function<void(std::string_view statement)>;

// Converts one table: its CREATE TABLE statement first when asked, then one INSERT per
// record, each handed to `sink` as soon as it is complete. Returns what the table lost
// on the way. A TableError escapes; the statements handed over before it stay handed over.
std::vector<TableWarning> ConvertTable(const std::filesystem::path& path, std::string_view baseName,
                                       const ConversionOptions& options, const ValueFormat& format,
                                       const StatementSink& sink);

// Reads every record of a table without converting it and returns what it would lose,
// for callers that want all of a table or nothing.
std::vector<TableWarning> CheckTable(const std::filesystem::path& path,
                                     const TableOpenOptions& options);

} // namespace tabrivel
