#include "inputs/ClearInputList.h"

#include "inputs/InputListModel.h"
#include "shell/ErrorReport.h"

namespace tabrivel {

void ClearInputList(Prompts& prompts, bool windowBusy, InputListModel& list,
                    const QString& location) {
    StatementTrap<ClearInputStep> trap(location, ErrorReporter(prompts));
    if (trap.test(ClearInputStep::RefuseWhileBusy, [&] { return windowBusy; }))
        return;
    trap.run(ClearInputStep::RemoveAllRows, [&] { list.clear(); });
}

} // namespace tabrivel
