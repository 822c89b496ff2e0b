#pragma once

#include <QString>

#include <optional>

namespace tabrivel {

// What the folder scan asks of one folder before it lists it.
struct FolderObject {
    int attributes = 0; // the bits of FileAttribute
    bool isRoot = false;

    // Exactly directory + system + hidden, with or without alias, marks a folder the scan
    // leaves out with all below it; any other mix, and any root, is scanned.
    bool isExcluded() const;
};

// Throws FolderError (path not found) when the path is not an existing folder.
FolderObject OpenFolder(const QString& path);

// Throws FolderError (object not set) when the folder could not be opened: reading the
// attributes of a folder object that was never set.
const FolderObject& RequireFolder(const std::optional<FolderObject>& folder);

// A key that is the same for every path reaching one folder (through links included), or
// nothing when the path is not a folder whose status can be read.
std::optional<QString> FolderIdentity(const QString& path);

} // namespace tabrivel
