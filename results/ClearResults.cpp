#include "results/ClearResults.h"

#include "results/ResultsListModel.h"
#include "shell/ErrorReport.h"

namespace tabrivel {

void ClearResults(Prompts& prompts, ResultsListModel& results, const QString& location) {
    StatementTrap<ClearResultsStep> trap(location, ErrorReporter(prompts));
    trap.run(ClearResultsStep::RemoveAllRows, [&] { results.clear(); });
}

} // namespace tabrivel
