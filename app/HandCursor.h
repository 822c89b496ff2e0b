#pragma once

#include <QCursor>
#include <QString>

namespace tabrivel {

// Loads a Windows cursor file (.cur) with its hotspot. Throws a failure naming the file
// when it cannot be read as a picture.
QCursor LoadCursorFile(const QString& path);

} // namespace tabrivel
