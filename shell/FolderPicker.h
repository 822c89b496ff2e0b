#pragma once

#include "shell/Prompts.h"

#include <QString>

namespace tabrivel {

// Asks the user for a folder through the modal folder chooser, which opens at
// `startFolder` when that names an existing folder and at its own default otherwise.
// Gives the chosen folder's full path: a file-system root keeps its separator ("/",
// "C:\"), any other folder has none at its end. Gives the empty text when the user
// cancels or the answer is not an existing folder.
QString BrowseForFolder(Prompts& prompts, const QString& title, const QString& startFolder);

} // namespace tabrivel
