#include "engine/Conversion.h"

#include "engine/SqlText.h"
#include "engine/TableConversion.h"

namespace tabrivel {

namespace {

constexpr std::size_t kKeptStatementRoom = std::size_t{16} * 1024 * 1024;

std::vector<TableWarning> WarningsOf(const TableSource& table) {
    const auto warnings = table.warnings();
    return {warnings.begin(), warnings.end()};
}

} // namespace

std::vector<TableWarning> ConvertTable(const std::filesystem::path& path, std::string_view baseName,
                                       const ConversionOptions& options, const ValueFormat& format,
                                       const StatementSink& sink) {
    TableConversion conversion(path, std::string(baseName), options.open);
    const std::string closing = ClosingDelimiterFor(options.delimiter);
    const StatementForm form{options.tableName, options.delimiter, closing, options.semicolon};
    std::string statement;
    if (options.createTable) {
        conversion.appendCreateTable(statement, form);
        sink(statement);
    }
    for (statement.clear(); conversion.appendNextInsert(statement, form, format);
         statement.clear()) {
        sink(statement);
        // A statement that carried a long memo leaves its room behind; the next long
        // one sizes its own.
        if (statement.capacity() > kKeptStatementRoom)
            std::string().swap(statement);
    }
    const auto warnings = conversion.warnings();
    return {warnings.begin(), warnings.end()};
}

std::vector<TableWarning> CheckTable(const std::filesystem::path& path,
                                     const TableOpenOptions& options) {
    const std::unique_ptr<TableSource> table = OpenTable(path, options);
    while (table->next()) {
    }
    return WarningsOf(*table);
}

} // namespace tabrivel
