#include "fs/FileQueries.h"

#include "fs/PathText.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include <system_error>

namespace fsys = std::filesystem;

namespace tabrivel {

namespace {

// The status of the path's target, following links. A path holding a NUL character
// would be cut short by the system call and answer for another file: it has no status.
std::optional<fsys::file_status> StatusOf(const QString& path, bool followLinks = true) {
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return std::nullopt;
    std::error_code error;
    const fsys::path native = NativePath(path);
    const fsys::file_status status =
        followLinks ? fsys::status(native, error) : fsys::symlink_status(native, error);
    if (error || !fsys::exists(status))
        return std::nullopt;
    return status;
}

#ifndef Q_OS_WIN
// A folder path's trailing separators would make the system follow a link and would hide
// the folder's own name; the root keeps its one separator.
QString WithoutTrailingSeparators(QString path) {
    while (path.size() > 1 && (path.endsWith(NativeSeparator()) || path.endsWith(u'/')))
        path.chop(1);
    return path;
}
#endif

} // namespace

bool IsFolder(const QString& path) {
    const auto status = StatusOf(path);
    return status && fsys::is_directory(*status);
}

bool PathExists(const QString& path) {
    return StatusOf(path).has_value();
}

bool IsExistingFile(const QString& path) {
    const auto status = StatusOf(path);
    return status && fsys::is_regular_file(*status);
}

#ifdef Q_OS_WIN
std::optional<int> FileAttributes(const QString& path) {
    if (!StatusOf(path))
        return std::nullopt;
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(path.utf16()));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    return static_cast<int>(attributes);
}
#else
std::optional<int> FileAttributes(const QString& path) {
    const auto status = StatusOf(path);
    if (!status)
        return std::nullopt;
    const QString own = WithoutTrailingSeparators(path);
    int attributes = 0;
    if (fsys::is_directory(*status))
        attributes |= FileAttribute::Directory;
    if (fsys::is_regular_file(*status))
        attributes |= FileAttribute::Archive;
    if (FileNameOfPath(own, u'/').startsWith(u'.'))
        attributes |= FileAttribute::Hidden;
    const auto link = StatusOf(own, false);
    if (link && fsys::is_symlink(*link))
        attributes |= FileAttribute::Alias;
    return attributes;
}
#endif

} // namespace tabrivel
