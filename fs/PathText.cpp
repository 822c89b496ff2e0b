#include "fs/PathText.h"

#include "fs/NativePath.h"

#include <climits>

namespace tabrivel {

QString FileNameOfPath(const QString& path, QChar separator) {
    // lastIndexOf gives -1 without a separator, so the whole text comes back.
    return path.mid(path.lastIndexOf(separator) + 1);
}

QString FolderOfPath(const QString& path, QChar separator) {
    const qsizetype last = path.lastIndexOf(separator);
    return last < 0 ? QString() : path.left(last + 1);
}

QString PathWithoutExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 1 ? name.left(dot) : name;
}

namespace {

// One left-to-right pass: a pair of separators becomes one, and the result is not scanned
// again, so a run of n separators becomes ceil(n / 2).
QString CollapsePairs(QStringView text, QChar separator) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        result.append(text[i]);
        if (text[i] == separator && i + 1 < text.size() && text[i + 1] == separator)
            ++i;
    }
    return result;
}

} // namespace

QString CollapseDoubleBackslashes(const QString& path, QChar separator) {
    // Only "\" paths have a network-share prefix; on POSIX "/data" must stay "/data".
    if (separator != u'\\' || !path.startsWith(separator))
        return CollapsePairs(path, separator);
    qsizetype first = 0;
    while (first < path.size() && path[first] == separator)
        ++first;
    return QString(2, separator) + CollapsePairs(QStringView(path).mid(first), separator);
}

bool HasOddCharacters(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c < 32 || (c >= 127 && c <= 159) || c == u'?' || c == QChar::ReplacementCharacter)
            return true;
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() &&
            QChar::isLowSurrogate(name[i + 1].unicode())) {
            ++i; // a complete pair encodes fine
            continue;
        }
        if (QChar::isSurrogate(c))
            return true;
    }
    return false;
}

int PathLimit() {
#ifdef Q_OS_WIN
    return 260;
#else
    return PATH_MAX;
#endif
}

bool ReachesPathLimit(const QString& path) {
#ifdef Q_OS_WIN
    return path.size() >= PathLimit();
#else
    return EncodeNativeName(path).size() >= PathLimit();
#endif
}

} // namespace tabrivel
