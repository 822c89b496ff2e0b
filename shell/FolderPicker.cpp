#include "shell/FolderPicker.h"

#include <QDir>
#include <QFileInfo>

namespace tabrivel {

namespace {

bool NamesFolder(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// The chooser may hand back a folder with a trailing separator; only a root keeps one.
QString WithoutTrailingSeparator(const QString& folder) {
    QString path = QDir::toNativeSeparators(folder);
    if (QDir(path).isRoot())
        return QDir::toNativeSeparators(QDir(path).absolutePath());
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QDir::separator())))
        path.chop(1);
    return path;
}

} // namespace

QString BrowseForFolder(Prompts& prompts, const QString& title, const QString& startFolder) {
    const QString start = NamesFolder(startFolder) ? startFolder : QString();
    const QString chosen = prompts.existingDirectory(title, start);
    if (!NamesFolder(chosen))
        return {};
    return WithoutTrailingSeparator(chosen);
}

} // namespace tabrivel
