#pragma once

#include <array>

class QString;

namespace tabrivel {

// The numbered steps of PushButton7_Click, as the error box names them.
enum class ClearInputStep {
    RefuseWhileBusy = 100,
    RemoveAllRows = 102,
};

constexpr std::array<ClearInputStep, 2> DeclaredSteps(ClearInputStep) {
    using enum ClearInputStep;
    return {RefuseWhileBusy, RemoveAllRows};
}

class InputListModel;
class Prompts;

// Clear List: empties the input list, unless a long command runs (the window is busy).
// Failures are reported under `location`.
void ClearInputList(Prompts& prompts, bool windowBusy, InputListModel& list,
                    const QString& location);

} // namespace tabrivel
