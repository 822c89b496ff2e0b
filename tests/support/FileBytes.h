#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tabrivel::testing {

// The whole content of a file; a marker no file in a test holds when it cannot be read.
inline QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

// Writes the file anew; false when any byte did not arrive.
inline bool WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace tabrivel::testing
