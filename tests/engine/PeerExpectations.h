#pragma once

// What the peers themselves expect of their tables, cell by cell: their record YAMLs,
// shapelib's dump of a table, pgdbf's expected output, and assertions from their own
// tests, transcribed with the file and line they stand on.
#include <QString>

#include <optional>
#include <vector>

namespace tabrivel::testing {

struct PeerCell {
    int record = 0; // as delivered: deleted records are not counted
    int field = 0;
    std::optional<QString> expected; // empty: the peer expects null
    QString source;                  // where the peer says so
};

// Every cell some peer states for the table at `path`, relative path `relative` under the
// fixture root; empty when no peer states any.
std::vector<PeerCell> PeerCells(const QString& root, const QString& relative);

// A fixture named by its peer's folder and its file name, wherever the peer keeps it:
// "infused__dbf/mazovia.dbf" for infused__dbf/<its test folders>/mazovia.dbf.
QString PeerKey(const QString& relativePath);

// The visible field names of a dBase III style table, in order (no _NullFlags).
QStringList FieldNames(const QString& path);

} // namespace tabrivel::testing
