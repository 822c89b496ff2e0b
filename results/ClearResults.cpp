#include "ClearResults.h"

#include "ErrorReport.h"
#include "ResultsListModel.h"

namespace tabrivel {

void ClearResults(Prompts& prompts, ResultsListModel& results) {
    StatementTrap trap(Location::PushButton9, ErrorReporter(prompts));
    trap.run(100, [&] { results.clear(); });
}

} // namespace tabrivel
