#include "inputs/DroppedFiles.h"

#include "inputs/WindowScan.h"

#include "fs/FolderList.h"
#include "fs/PathHelpers.h"
#include "inputs/InputListModel.h"
#include "shell/CommandHost.h"

namespace tabrivel {

namespace {

// Appends every file of the dropped folder's tree; false when the window closed meanwhile.
bool AddFolderTree(CommandHost& host, const QString& dropped) {
    FolderList folders;
    folders.append(ScanEntry(dropped));
    const WindowScan scan(host);
    GetSubDirectories2016(folders, true, scan.hooks());
    if (scan.windowClosed())
        return false;
    InputListModel& list = host.inputList();
    for (FolderList::Walk walk(folders); walk.next();) {
        const QString folder = walk.current().chopped(1);
        const FileNameList names = ListFilesInFolder(folder, QStringLiteral("*.*"));
        for (int index = 1; index <= names.upperBound(); ++index) {
            const QString name = names.at(index);
            if (!IsLeftOutName(name))
                list.append(folder + NativeSeparator() + name);
        }
    }
    return true;
}

} // namespace

bool IsDroppedFolder(const QString& path) {
    const std::optional<int> attributes = FileAttributes(path);
    return attributes && (*attributes & FileAttribute::Directory) != 0;
}

void AddDroppedPaths(CommandHost& host, const QStringList& paths) {
    for (const QString& path : paths) {
        if (!IsDroppedFolder(path))
            host.inputList().append(path);
        else if (!AddFolderTree(host, path))
            return;
    }
}

} // namespace tabrivel
