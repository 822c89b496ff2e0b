#pragma once

namespace tabrivel {

class InputListModel;
class Prompts;

// Clear List: empties the input list, unless a long command runs (the window is busy).
void ClearInputList(Prompts& prompts, bool windowBusy, InputListModel& list);

} // namespace tabrivel
