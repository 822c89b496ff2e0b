#include "fs/FolderObject.h"

#include "fs/DirectoryReader.h"
#include "fs/FileQueries.h"
#include "fs/NativePath.h"

#include <QDir>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace tabrivel {

bool FolderObject::isExcluded() const {
    constexpr int hiddenSystemFolder =
        FileAttribute::Directory | FileAttribute::System | FileAttribute::Hidden;
    return !isRoot && (attributes == hiddenSystemFolder ||
                       attributes == (hiddenSystemFolder | FileAttribute::Alias));
}

FolderObject OpenFolder(const QString& path) {
    const std::optional<int> attributes = FileAttributes(path);
    if (!attributes || !(*attributes & FileAttribute::Directory))
        throw FolderError(FolderError::PathNotFound, QStringLiteral("Path not found"));
    return FolderObject{*attributes, QDir(path).isRoot()};
}

const FolderObject& RequireFolder(const std::optional<FolderObject>& folder) {
    if (!folder) {
        throw FolderError(FolderError::ObjectNotSet,
                          QStringLiteral("Object variable or With block variable not set"));
    }
    return *folder;
}

std::optional<QString> FolderIdentity(const QString& path) {
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (!info.isDir())
        return std::nullopt;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? std::nullopt : std::optional<QString>(canonical.toLower());
#else
    const QByteArray native = EncodeNativeName(path);
    struct stat status {};
    if (native.isEmpty() || native.contains('\0') || stat(native.constData(), &status) != 0 ||
        !S_ISDIR(status.st_mode))
        return std::nullopt;
    return QString::number(status.st_dev) + u':' + QString::number(status.st_ino);
#endif
}

} // namespace tabrivel
