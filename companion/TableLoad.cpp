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

void LoadRecords(TableSource& table, const TablePlan& plan, const TableLoadContext& context,
                 std::uint64_t rowsBefore) {
    std::vector<Cell> cells(plan.columns.size());
    std::vector<std::string> scratch(plan.columns.size());
    std::uint64_t record = rowsBefore;
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
                           const TableLoadContext& context, const TablePart& part) {
    const ConversionOptions& options = context.options;
    const std::string closing = ClosingDelimiterFor(options.delimiter);
    const StatementForm form{options.tableName, options.delimiter, closing, options.semicolon};
    const ValueFormat& format = context.cells.valueFormat();
    std::string& out = sink.buffer();
    conversion.setPieceWritten([&sink] { sink.maybeFlush(); });
    if (options.createTable && part.first) {
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
void LoadCells(TableSource& table, const TablePlan& plan, const TableLoadContext& context,
               const TablePart& part) {
    if (part.first) {
        if (context.notice)
            for (const std::string& shortened : plan.shortenedNames)
                context.notice(shortened);
        context.target.beginTable(plan);
    } else {
        context.target.continueTable(plan, part.rowsBefore);
    }
    if (context.load.rows)
        LoadRecords(table, plan, context, part.rowsBefore);
}

void StartProgress(const TableSource& table, const std::filesystem::path& path,
                   const TableLoadContext& context, const TablePart& part) {
    if (!context.progress)
        return;
    const std::string name = path.filename().string();
    if (part.first && part.last)
        context.progress->startTable(name, table.recordCount());
    else
        context.progress->startTable(name, table.recordCount(), part.rowsBefore, part.started);
}

// `passed`: the records of the file passed over, for the deleted ones left out; none when
// the table stopped on an error.
void EndTable(const TableLoadContext& context, std::optional<std::uint64_t> passed) {
    context.target.endTable();
    if (context.progress)
        context.progress->endTable(passed);
}

struct Loaded {
    std::optional<TablePlan> plan; // for a target that takes cells
    std::vector<TableWarning> warnings;
};

// The records `opened` delivers into the target, as the part `part` of the table.
Loaded LoadPart(std::unique_ptr<TableSource> opened, const std::filesystem::path& path,
                std::string_view baseName, const TableLoadContext& context, const TablePart& part) {
    TableSource& table = *opened;
    TableConversion conversion(std::move(opened), std::string(baseName));
    StartProgress(table, path, context, part);
    std::optional<TablePlan> plan;
    try {
        if (ScriptSink* sink = context.target.beginWindowTable()) {
            WriteWindowStatements(conversion, *sink, context, part);
        } else {
            plan = PlanTable(baseName, table.fields(), context.options, context.load);
            LoadCells(table, *plan, context, part);
        }
    } catch (const TableError&) {
        EndTable(context, std::nullopt);
        throw;
    }
    if (part.last)
        EndTable(context, table.recordNumber());
    const auto warnings = table.warnings();
    return {std::move(plan), {warnings.begin(), warnings.end()}};
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
    Loaded loaded = LoadPart(OpenTable(path, context.options.open), path, baseName, context, {});
    if (context.verified && loaded.plan && context.load.rows)
        Verify(path, *loaded.plan, context);
    return std::move(loaded.warnings);
}

std::vector<TableWarning> LoadTablePart(std::unique_ptr<TableSource> table,
                                        const std::filesystem::path& path,
                                        std::string_view baseName, const TableLoadContext& context,
                                        const TablePart& part) {
    return LoadPart(std::move(table), path, baseName, context, part).warnings;
}

} // namespace tabrivel
