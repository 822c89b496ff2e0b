#include "TableLoad.h"

#include "ScriptSink.h"
#include "engine/SqlText.h"
#include "engine/TableConversion.h"
#include "engine/TableError.h"

#include <new>
#include <optional>
#include <span>
#include <vector>

namespace tabrivel {
namespace {

void LoadRow(std::span<const Value> values, std::vector<Cell>& cells,
             std::vector<std::string>& scratch, std::uint64_t record, const TablePlan& plan,
             const TableLoadContext& context) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        cells[i] = context.cells.make(values[i], plan.columns[i], scratch[i]);
        if (cells[i].kind == Cell::Kind::Mismatch) {
            context.mismatch(record, plan.columns[i], cells[i].text);
            cells[i] = {};
        }
    }
    context.target.addRow(cells);
}

void LoadRecords(TableSource& table, const TablePlan& plan, const TableLoadContext& context) {
    std::vector<Cell> cells(plan.columns.size());
    std::vector<std::string> scratch(plan.columns.size());
    std::uint64_t record = 0;
    while (table.next()) {
        ++record;
        try {
            LoadRow(table.values(), cells, scratch, record, plan, context);
        } catch (const std::bad_alloc&) {
            throw OutOfMemoryError(table.name(), table.recordNumber());
        }
        if (context.progress)
            context.progress->recordDone();
    }
}

constexpr std::string_view kLineEnd = "\r\n";

// The window's own statements, each ended by CR LF, made by the conversion the window runs
// so that the two cannot differ by a byte.
void WriteWindowStatements(TableConversion& conversion, ScriptSink& sink,
                           const TableLoadContext& context) {
    const ConversionOptions& options = context.options;
    const std::string closing = ClosingDelimiterFor(options.delimiter);
    const StatementForm form{options.tableName, options.delimiter, closing, options.semicolon};
    const ValueFormat& format = context.cells.valueFormat();
    std::string& out = sink.buffer();
    conversion.setPieceWritten([&sink] { sink.maybeFlush(); });
    if (options.createTable) {
        conversion.appendCreateTable(out, form);
        out += kLineEnd;
    }
    while (conversion.appendNextInsert(out, form, format)) {
        out += kLineEnd;
        sink.maybeFlush();
        if (context.progress)
            context.progress->recordDone();
    }
}

// Cell by cell, for every form beyond the window's own.
void LoadCells(TableSource& table, const TablePlan& plan, const TableLoadContext& context) {
    if (context.notice)
        for (const std::string& shortened : plan.shortenedNames)
            context.notice(shortened);
    context.target.beginTable(plan);
    if (context.load.rows)
        LoadRecords(table, plan, context);
}

// The table read a second time beside what the database gives back.
void Verify(const std::filesystem::path& path, const TablePlan& plan,
            const TableLoadContext& context) {
    std::unique_ptr<StoredRows> stored = context.target.storedRows(plan);
    if (!stored)
        return;
    const std::unique_ptr<TableSource> again = OpenTable(path, context.options.open);
    context.verified(VerifyTable(*again, plan, *stored, context.cells, context.load.types));
}

} // namespace

std::vector<TableWarning> LoadTable(const std::filesystem::path& path, std::string_view baseName,
                                    const TableLoadContext& context) {
    std::unique_ptr<TableSource> opened = OpenTable(path, context.options.open);
    TableSource& table = *opened;
    TableConversion conversion(std::move(opened), std::string(baseName));
    if (context.progress)
        context.progress->startTable(path.filename().string(), table.recordCount());
    std::optional<TablePlan> plan;
    try {
        if (ScriptSink* sink = context.target.beginWindowTable()) {
            WriteWindowStatements(conversion, *sink, context);
        } else {
            plan = PlanTable(baseName, table.fields(), context.options, context.load);
            LoadCells(table, *plan, context);
        }
    } catch (const TableError&) {
        context.target.endTable();
        if (context.progress)
            context.progress->endTable();
        throw;
    }
    context.target.endTable();
    if (context.progress)
        context.progress->endTable();
    if (context.verified && plan && context.load.rows)
        Verify(path, *plan, context);
    const auto warnings = table.warnings();
    return {warnings.begin(), warnings.end()};
}

} // namespace tabrivel
