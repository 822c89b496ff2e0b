#pragma once

#include "TableSource.h"
#include "ValueText.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

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
// record, each handed to `sink` as soon as it is complete. A TableError escapes; the
// statements handed over before it stay handed over.
void ConvertTable(const std::filesystem::path& path, std::string_view baseName,
                  const ConversionOptions& options, const ValueFormat& format,
                  const StatementSink& sink);

} // namespace tabrivel
