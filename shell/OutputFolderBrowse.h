#pragma once

#include "shell/Prompts.h"
#include "shell/Settings.h"

#include <QString>

#include <functional>

namespace tabrivel {

// The "..." button beside the output folder: the folder picker opens at the folder
// picked last time; a pick is remembered for next time and handed to `showFolder` with
// a trailing separator. Cancelling changes nothing. Failures are reported under
// `location`.
void BrowseForOutputFolder(Prompts& prompts, Settings& settings,
                           const std::function<void(const QString&)>& showFolder,
                           const QString& location);

} // namespace tabrivel
