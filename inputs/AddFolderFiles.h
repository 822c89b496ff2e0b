#pragma once

#include "shell/StatementTrap.h"

#include <QString>

#include <array>

namespace tabrivel {

// The numbered steps of PushButton5_Click, as the error box names them. The folder is
// stored under numbers of its own, out of sequence, and users quote them as they are.
enum class AddFolderStep {
    AskExtension = 100,
    StopWithoutExtension = 102,
    StoreExtension = 104,
    AskFolder = 106,
    StopWithoutFolder = 108,
    CheckFolderChosen = 333,
    StoreFolder = 334,
    ShowBusyPointer = 114,
    StartFolderList = 116,
    ScanSubFolders = 118,
    WalkFolders = 120,
    DropTrailingSeparator = 122,
    ListMatchingFiles = 124,
    TakeFileName = 126,
    SkipTildeName = 128,
    BuildFullPath = 130,
    AppendAddableFile = 134,
    ShowNormalPointer = 138,
};

constexpr std::array<AddFolderStep, 18> DeclaredSteps(AddFolderStep) {
    using enum AddFolderStep;
    return {AskExtension,      StopWithoutExtension,
            StoreExtension,    AskFolder,
            StopWithoutFolder, ShowBusyPointer,
            StartFolderList,   ScanSubFolders,
            WalkFolders,       DropTrailingSeparator,
            ListMatchingFiles, TakeFileName,
            SkipTildeName,     BuildFullPath,
            AppendAddableFile, ShowNormalPointer,
            CheckFolderChosen, StoreFolder};
}

class CommandHost;
class InputListModel;

// "Add All DBF Files In Folder": asks for a file extension and a folder (both remembered
// for the next time), then appends every matching file of the folder's whole tree to the
// input list, folder by folder, breadth-first. The window shows the busy pointer meanwhile.
// Failures are reported under `location`.
void AddAllFilesInFolder(CommandHost& host, const QString& location);

// Appends the files of one scanned folder entry (ending with its separator) that match
// the listing pattern, leaving out "~" names and hidden files, each path collapsed.
void AddMatchingFilesOfFolder(StatementTrap<AddFolderStep>& trap, InputListModel& list,
                              const QString& entry, const QString& pattern);

} // namespace tabrivel
