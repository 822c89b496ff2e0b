#pragma once

#include <QString>

namespace tabrivel {

class CommandHost;
class InputListModel;
class StatementTrap;

// "Add All DBF Files In Folder": asks for a file extension and a folder (both remembered
// for the next time), then appends every matching file of the folder's whole tree to the
// input list, folder by folder, breadth-first. The window shows the busy pointer meanwhile.
// Failures are reported under `location`.
void AddAllFilesInFolder(CommandHost& host, const QString& location);

// Appends the files of one scanned folder entry (ending with its separator) that match
// the listing pattern, leaving out "~" names and hidden files, each path collapsed.
void AddMatchingFilesOfFolder(StatementTrap& trap, InputListModel& list, const QString& entry,
                              const QString& pattern);

} // namespace tabrivel
