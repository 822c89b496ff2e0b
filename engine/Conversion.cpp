#include "engine/Conversion.h"

#include "engine/SqlText.h"

#include <new>

namespace tabrivel {

namespace {

constexpr std::size_t kKeptStatementRoom = 16 * 1024 * 1024;

std::vector<TableWarning> WarningsOf(const TableSource& table) {
    const auto warnings = table.warnings();
    return {warnings.begin(), warnings.end()};
}

} // namespace

std::vector<TableWarning> ConvertTable(const std::filesystem::path& path, std::string_view baseName,
                                       const ConversionOptions& options, const ValueFormat& format,
                                       const StatementSink& sink) {
    const std::string closing = ClosingDelimiterFor(options.delimiter);
    const std::unique_ptr<TableSource> table = OpenTable(path, options.open);
    if (options.createTable) {
        sink(CreateTableStatement(options.delimiter, closing, options.tableName, baseName,
                                  table->fieldCount(), options.semicolon));
    }
    const std::string name =
        QualifiedTableName(options.delimiter, closing, options.tableName, baseName);
    std::string statement;
    while (table->next()) {
        statement.clear();
        try {
            AppendInsertStatement(statement, name, table->values(), options.semicolon, format);
        } catch (const std::bad_alloc&) {
            throw OutOfMemoryError(table->name(), table->recordNumber());
        }
        sink(statement);
        // A statement that carried a long memo leaves its room behind; the next long
        // one sizes its own.
        if (statement.capacity() > kKeptStatementRoom)
            std::string().swap(statement);
    }
    return WarningsOf(*table);
}

std::vector<TableWarning> CheckTable(const std::filesystem::path& path,
                                     const TableOpenOptions& options) {
    const std::unique_ptr<TableSource> table = OpenTable(path, options);
    while (table->next()) {
    }
    return WarningsOf(*table);
}

} // namespace tabrivel
