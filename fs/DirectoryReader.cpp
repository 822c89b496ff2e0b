#include "fs/DirectoryReader.h"

#include "fs/NativePath.h"

#ifdef Q_OS_WIN
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#else
#include <cerrno>
#include <cstring>
#include <dirent.h>
#endif

namespace tabrivel {

#ifdef Q_OS_WIN

struct DirectoryReader::Handle {
    explicit Handle(const QString& folder)
        : iterator(folder, QDir::AllEntries | QDir::Hidden | QDir::System) {}
    QDirIterator iterator;
};

DirectoryReader::DirectoryReader(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.exists() || !info.isDir())
        throw FolderError(FolderError::PathNotFound, QStringLiteral("Path not found"));
    if (!QDir(folder).isReadable())
        throw FolderError(FolderError::PermissionDenied, QStringLiteral("Permission denied"));
    handle_ = std::make_unique<Handle>(folder);
}

std::optional<DirectoryEntry> DirectoryReader::next() {
    if (!handle_->iterator.hasNext())
        return std::nullopt;
    handle_->iterator.next();
    const QFileInfo info = handle_->iterator.fileInfo();
    DirectoryEntry entry{info.fileName(), DirectoryEntry::Kind::Other};
    if (info.isSymLink())
        entry.kind = DirectoryEntry::Kind::Unknown;
    else if (info.isDir())
        entry.kind = DirectoryEntry::Kind::Folder;
    else if (info.isFile())
        entry.kind = DirectoryEntry::Kind::File;
    return entry;
}

#else

namespace {

FolderError ErrorFromErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return FolderError(FolderError::PermissionDenied, QStringLiteral("Permission denied"));
    case ENOENT:
    case ENOTDIR:
        return FolderError(FolderError::PathNotFound, QStringLiteral("Path not found"));
    default:
        return FolderError(FolderError::AccessError, QString::fromLocal8Bit(strerror(error)));
    }
}

DirectoryEntry::Kind KindOf(unsigned char type) {
    switch (type) {
    case DT_DIR:
        return DirectoryEntry::Kind::Folder;
    case DT_REG:
        return DirectoryEntry::Kind::File;
    case DT_LNK:
    case DT_UNKNOWN:
        return DirectoryEntry::Kind::Unknown; // the caller must ask stat
    default:
        return DirectoryEntry::Kind::Other;
    }
}

} // namespace

struct DirectoryReader::Handle {
    DIR* dir = nullptr;
    ~Handle() {
        if (dir)
            closedir(dir);
    }
};

DirectoryReader::DirectoryReader(const QString& folder) : handle_(std::make_unique<Handle>()) {
    const QByteArray native = EncodeNativeName(folder);
    if (native.isEmpty() || native.contains('\0'))
        throw FolderError(FolderError::PathNotFound, QStringLiteral("Path not found"));
    handle_->dir = opendir(native.constData());
    if (!handle_->dir)
        throw ErrorFromErrno(errno);
}

std::optional<DirectoryEntry> DirectoryReader::next() {
    errno = 0;
    const dirent* entry = readdir(handle_->dir);
    if (!entry) {
        if (errno != 0)
            throw ErrorFromErrno(errno);
        return std::nullopt;
    }
    return DirectoryEntry{DecodeNativeName(entry->d_name), KindOf(entry->d_type)};
}

#endif

DirectoryReader::~DirectoryReader() = default;

} // namespace tabrivel
