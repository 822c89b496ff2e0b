#pragma once

#include <QString>
#include <QStringList>

namespace tabrivel {

// The bare names of a folder listing, read from index 1 to count(). The listing's raw
// form, kept for callers that walk it by its bounds, is an array from 1 to n, or, when
// nothing was listed, one empty name at index 0, so a walk from 1 takes nothing.
class FileNameList {
public:
    FileNameList() = default;
    explicit FileNameList(QStringList names) : names_(std::move(names)) {}

    int count() const { return static_cast<int>(names_.size()); }
    bool isEmpty() const { return names_.isEmpty(); }
    int lowerBound() const { return isEmpty() ? 0 : 1; }
    int upperBound() const { return count(); }
    // 1-based; at(0) of an empty listing is its one empty name.
    QString at(int index) const;
    const QStringList& names() const { return names_; }
    QStringList raw() const { return isEmpty() ? QStringList{QString()} : names_; }

private:
    QStringList names_;
};

// True when the name matches a listing pattern such as "*.*" or "*.dbf", as folder
// listings have always matched them: letters without regard to case, "*" for any run,
// "?" for one character, a trailing ".*" that also takes names without a dot (so "*.*" is
// every name) and a trailing "." that takes only names without one.
// An undecodable byte kept in the name counts as one character.
bool MatchesListingPattern(const QString& name, const QString& pattern);

// The names of the existing regular files in the folder that match the pattern, hidden
// ones included, sub-folders left out, in the order the file system lists them. A missing
// or unreadable folder, or a pattern that matches nothing, gives the empty listing.
FileNameList ListFilesInFolder(const QString& folder, const QString& pattern);

} // namespace tabrivel
