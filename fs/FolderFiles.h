#pragma once

#include "fs/FolderScan.h"

#include <QString>
#include <QStringList>

namespace tabrivel {

// The folder as a scan entry: ending with exactly one separator. A root such as "/" or
// "C:\" already has it, and a doubled one would turn "/" into a network-style "//".
QString ScanEntry(const QString& folder);

// "~" names are the working copies editors and office programs leave beside a file:
// the folder commands never take them.
bool IsLeftOutName(const QString& name);

// Hidden files that are otherwise plain (dot-files on POSIX) are left out; a file that is
// also a system file, or carries other bits, is not.
bool IsAddableFile(const QString& path);

// The files of a folder's whole tree whose names match the listing pattern ("*.dbf"), as
// "Add All DBF Files In Folder" takes them: folder by folder, breadth-first, each folder's
// files in the order the file system lists them, without "~" names and hidden files, each
// path collapsed. The scan's failures and yields go to `hooks`.
QStringList FilesOfFolderTree(const QString& folder, const QString& pattern,
                              const ScanHooks& hooks = {});

} // namespace tabrivel
