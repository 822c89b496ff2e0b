#pragma once

class QString;

namespace tabrivel {

class InputListModel;
class Prompts;

// Clear List: empties the input list, unless a long command runs (the window is busy).
// Failures are reported under `location`.
void ClearInputList(Prompts& prompts, bool windowBusy, InputListModel& list,
                    const QString& location);

} // namespace tabrivel
