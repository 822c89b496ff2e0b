#include "fs/FolderFiles.h"

#include "fs/PathHelpers.h"

namespace tabrivel {

QString ScanEntry(const QString& folder) {
    return folder.endsWith(NativeSeparator()) ? folder : folder + NativeSeparator();
}

bool IsLeftOutName(const QString& name) {
    return name.startsWith(u'~');
}

bool IsAddableFile(const QString& path) {
    constexpr int kHiddenArchive = FileAttribute::Hidden | FileAttribute::Archive;
    return IsExistingFile(path) && FileAttributes(path) != kHiddenArchive;
}

QStringList FilesOfFolderTree(const QString& folder, const QString& pattern,
                              const ScanHooks& hooks) {
    FolderList folders;
    folders.append(ScanEntry(folder));
    GetSubDirectories2016(folders, true, hooks);
    QStringList files;
    for (FolderList::Walk walk(folders); walk.next();) {
        const QString entry = walk.current().chopped(1);
        const FileNameList listed = ListFilesInFolder(entry, pattern);
        for (const QString& name : listed.names()) {
            const QString path = entry + NativeSeparator() + name;
            if (!IsLeftOutName(name) && IsAddableFile(path))
                files.append(CollapseDoubleBackslashes(path));
        }
    }
    return files;
}

} // namespace tabrivel
