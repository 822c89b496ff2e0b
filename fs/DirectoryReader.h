#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>

namespace tabrivel {

// A folder that could not be read. The code tells the callers' cases apart the way the
// original platform numbered them.
class FolderError : public std::runtime_error {
public:
    enum Code : int {
        PermissionDenied = 70,
        AccessError = 75,
        PathNotFound = 76,
        ObjectNotSet = 91,
    };

    FolderError(int code, const QString& description)
        : std::runtime_error(description.toStdString()), code_(code) {}

    int code() const { return code_; }
    // Permission denied and a missing path make a folder one that cannot be read at all.
    bool isUnreadable() const { return code_ == PermissionDenied || code_ == PathNotFound; }

private:
    int code_;
};

struct DirectoryEntry {
    enum class Kind { Folder, File, Other, Unknown };
    QString name; // undecodable bytes kept as DecodeNativeName escapes them
    Kind kind = Kind::Unknown;
};

// The entries of one folder, "." and ".." included, in the order the file system yields
// them (no sorting: the commands promise the listing's own order).
class DirectoryReader {
public:
    // Throws FolderError when the folder cannot be opened for listing.
    explicit DirectoryReader(const QString& folder);
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    // The next entry, or nothing at the end. Throws FolderError when the listing breaks.
    std::optional<DirectoryEntry> next();

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
};

} // namespace tabrivel
