#pragma once

#include <QStringList>

namespace tabrivel {

class CommandHost;

// Fills the input list from paths dropped on it, in the order of the drop: a file (or a
// path that no longer exists) becomes one row as it stands; a folder gives a row for
// every file in it and in its sub-folders, breadth-first, except names beginning with "~".
// Nothing is shown when it is done.
void AddDroppedPaths(CommandHost& host, const QStringList& paths);

// True when the dropped path is a folder (a link to one counts).
bool IsDroppedFolder(const QString& path);

} // namespace tabrivel
