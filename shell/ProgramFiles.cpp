#include "shell/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tabrivel {

QString ProgramFolder() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString BesideProgram(const QString& folder, const QString& relativePath) {
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + relativePath);
}

bool PathStatusReadable(const QString& path) {
    if (path.isEmpty())
        return false;
    return QFileInfo(path).exists();
}

} // namespace tabrivel
