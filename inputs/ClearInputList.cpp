#include "inputs/ClearInputList.h"

#include "inputs/InputListModel.h"
#include "shell/ErrorReport.h"

namespace tabrivel {

void ClearInputList(Prompts& prompts, bool windowBusy, InputListModel& list,
                    const QString& location) {
    StatementTrap trap(location, ErrorReporter(prompts));
    if (trap.test(100, [&] { return windowBusy; }))
        return;
    trap.run(102, [&] { list.clear(); });
}

} // namespace tabrivel
