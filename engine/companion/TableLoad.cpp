#include "TableLoad.h"

#include "engine/TableError.h"

#include <new>
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

} // namespace

std::vector<TableWarning> LoadTable(const std::filesystem::path& path, std::string_view baseName,
                                    const TableLoadContext& context) {
    const std::unique_ptr<TableSource> table = OpenTable(path, context.options.open);
    const TablePlan plan = PlanTable(baseName, table->fields(), context.options, context.load);
    if (context.progress)
        context.progress->startTable(path.filename().string(), table->recordCount());
    context.target.beginTable(plan);
    try {
        LoadRecords(*table, plan, context);
    } catch (const TableError&) {
        context.target.endTable();
        if (context.progress)
            context.progress->endTable();
        throw;
    }
    context.target.endTable();
    if (context.progress)
        context.progress->endTable();
    const auto warnings = table->warnings();
    return {warnings.begin(), warnings.end()};
}

} // namespace tabrivel
