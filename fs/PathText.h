#pragma once

#include <QChar>
#include <QDir>
#include <QString>

// Taking paths apart as text. These never touch the file system and accept any text,
// the empty text included. The separator defaults to the platform's own; the routines
// behave the same with "\" or "/" so that Windows-style paths can be handled anywhere.
namespace tabrivel {

inline QChar NativeSeparator() {
    return QDir::separator();
}

// The text after the last separator: the whole text when it has none, the empty text
// when it ends with one.
QString FileNameOfPath(const QString& path, QChar separator = NativeSeparator());

// The text up to and including the last separator; empty when there is none.
QString FolderOfPath(const QString& path, QChar separator = NativeSeparator());

// A name cut before its last dot. A name without a dot, or whose only dot leads (".profile"),
// comes back unchanged. The whole text is searched: callers pass bare file names.
QString PathWithoutExtension(const QString& name);

// Reduces each non-overlapping doubled separator to one in a single pass (so four become
// two). With "\" a leading run of separators of any length becomes the two of a UNC
// prefix; "/" has no such prefix, so there a leading run is reduced like any other.
QString CollapseDoubleBackslashes(const QString& path, QChar separator = NativeSeparator());

// True when the name holds a character the folder scan will not carry: a control
// character (below 32 or 127 to 159), "?", or a character that stands for bytes the file
// system's encoding could not decode (U+FFFD, or half of a surrogate pair).
bool HasOddCharacters(const QString& name);

// The longest path the platform's file calls take: 260 on Windows, PATH_MAX elsewhere.
int PathLimit();

// True when the path (or name) reaches the platform's path limit, measured in the units
// the file calls count: UTF-16 characters on Windows, encoded bytes elsewhere.
bool ReachesPathLimit(const QString& path);

} // namespace tabrivel
