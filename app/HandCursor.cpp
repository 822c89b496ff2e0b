#include "app/HandCursor.h"

#include "shell/FileFailure.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

#include <cerrno>
#include <stdexcept>

namespace tabrivel {

namespace {

struct CursorHeader {
    bool isCursor = false;
    int hotX = 0;
    int hotY = 0;
};

// The directory of an .ico/.cur file: a cursor (type 2) keeps its hotspot where an icon
// keeps its planes and bit count.
CursorHeader ReadCursorHeader(const QByteArray& bytes) {
    CursorHeader header;
    if (bytes.size() < 6 + 16)
        return header;
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    header.isCursor = qFromLittleEndian<quint16>(data + 2) == 2;
    if (header.isCursor) {
        header.hotX = qFromLittleEndian<quint16>(data + 6 + 4);
        header.hotY = qFromLittleEndian<quint16>(data + 6 + 6);
    }
    return header;
}

[[noreturn]] void InvalidPicture(const QString& path) {
    throw std::runtime_error(("Invalid picture: " + path).toStdString());
}

QImage ReadPicture(QByteArray bytes, const QString& path) {
    // Qt's icon reader takes cursors too; it only drops their hotspot.
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "cur");
    QImage image = reader.read();
    if (image.isNull())
        InvalidPicture(path);
    return image;
}

} // namespace

QCursor LoadCursorFile(const QString& path) {
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const FileFailure failure{errno, file.error(), file.errorString()};
        throw std::runtime_error(
            FileFailureText(QStringLiteral("Cannot open"), path, failure).toStdString());
    }
    const QByteArray bytes = file.readAll();
    const CursorHeader header = ReadCursorHeader(bytes);
    const QImage image = ReadPicture(bytes, path);
    const int hotX = qBound(0, header.hotX, image.width() - 1);
    const int hotY = qBound(0, header.hotY, image.height() - 1);
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

} // namespace tabrivel
