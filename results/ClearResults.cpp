#include "results/ClearResults.h"

#include "results/ResultsListModel.h"
#include "shell/ErrorReport.h"

namespace tabrivel {

void ClearResults(Prompts& prompts, ResultsListModel& results, const QString& location) {
    StatementTrap trap(location, ErrorReporter(prompts));
    trap.run(100, [&] { results.clear(); });
}

} // namespace tabrivel
