#pragma once

#include "fs/NativePath.h"

#include <QString>

#include <filesystem>
#include <optional>

// Questions put to the file system about one path. None of them ever reports an error:
// whenever the file system refuses the question, the answer is false (or nothing).
namespace tabrivel {

// The attribute bits the commands test, as the file system of the original platform
// reports them. On POSIX they are derived: a name that begins with "." is hidden, every
// regular file carries the archive bit, a symbolic link is an alias, and nothing is ever
// a system file.
namespace FileAttribute {
inline constexpr int Hidden = 2;
inline constexpr int System = 4;
inline constexpr int Directory = 16;
inline constexpr int Archive = 32;
inline constexpr int Alias = 1024;
} // namespace FileAttribute

// True when the path exists and is a folder (a symbolic link to a folder counts).
// A trailing separator is accepted.
bool IsFolder(const QString& path);

// True when the path's status (and so its last-modified time) can be read.
bool PathExists(const QString& path);

// True when the path names an existing regular file; false for folders, missing paths and
// the empty text.
bool IsExistingFile(const QString& path);

// The attribute bits of the path, or nothing when its status cannot be read.
std::optional<int> FileAttributes(const QString& path);

} // namespace tabrivel
