#include "results/CopyResults.h"

#include "results/ResultsListModel.h"
#include "shell/ErrorReport.h"
#include "shell/StatementTrap.h"

#include <stdexcept>

namespace tabrivel {

CellTable ResultsTable(const ResultsListModel& results) {
    CellTable table;
    table.columns = 1;
    table.rowCount = [&results] {
        return results.count();
    };
    table.cell = [&results](int row, int) {
        if (!results.isValidRow(row))
            throw std::out_of_range("Index out of bounds");
        return results.textAt(row);
    };
    table.isChecked = [](int) {
        return true;
    };
    return table;
}

void CopyResultsToClipboard(const CopyCommandContext& context) {
    StatementTrap<CopyStep> trap(context.location, ErrorReporter(context.prompts));
    CopyEnd end = CopyEnd::Copied;
    trap.run(CopyStep::CopyToClipboard, [&] {
        end =
            CopyListViewToClipboard(context.prompts, ResultsTable(context.results), context.yield);
    });
    // The window is closing: nothing more may be shown over it.
    if (end == CopyEnd::Abandoned)
        return;
    trap.run(CopyStep::ShowCopied, [&] {
        context.prompts.messageBox(context.title, kCopiedMessage, BoxIcon::None, BoxButtons::Ok);
    });
}

} // namespace tabrivel
