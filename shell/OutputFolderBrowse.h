#pragma once

#include "shell/Prompts.h"
#include "shell/Settings.h"

#include <QString>

#include <array>
#include <functional>

namespace tabrivel {

// The numbered steps of PushButton16_Click, as the error box names them.
enum class BrowseStep {
    ReadLastFolder = 100,
    PickFolder = 102,
    StopWhenCancelled = 104,
    RememberFolder = 106,
    StoreLastFolder = 108,
    CheckTrailingSeparator = 110,
    ShowWithSeparator = 112,
    ShowAsChosen = 114,
};

constexpr std::array<BrowseStep, 8> DeclaredSteps(BrowseStep) {
    using enum BrowseStep;
    return {ReadLastFolder,    PickFolder,      StopWhenCancelled,
            RememberFolder,    StoreLastFolder, CheckTrailingSeparator,
            ShowWithSeparator, ShowAsChosen};
}

// The "..." button beside the output folder: the folder picker opens at the folder
// picked last time; a pick is remembered for next time and handed to `showFolder` with
// a trailing separator. Cancelling changes nothing. Failures are reported under
// `location`.
void BrowseForOutputFolder(Prompts& prompts, Settings& settings,
                           const std::function<void(const QString&)>& showFolder,
                           const QString& location);

} // namespace tabrivel
