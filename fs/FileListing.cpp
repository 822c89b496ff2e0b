#include "fs/FileListing.h"

#include "fs/DirectoryReader.h"
#include "fs/FileQueries.h"
#include "fs/NativePath.h"
#include "fs/PathText.h"

#include <QRegularExpression>

namespace tabrivel {

QString FileNameList::at(int index) const {
    if (index == 0 && isEmpty())
        return QString();
    return names_.at(index - 1);
}

namespace {

QString WildcardToRegex(QStringView pattern, const QString& anyRun) {
    QString regex;
    for (const QChar c : pattern) {
        if (c == u'*')
            regex += anyRun;
        else if (c == u'?')
            regex += QStringLiteral(".");
        else
            regex += QRegularExpression::escape(QString(c));
    }
    return regex;
}

QRegularExpression PatternExpression(const QString& pattern) {
    QString regex;
    if (pattern.endsWith(QLatin1String(".*"))) {
        regex = WildcardToRegex(QStringView(pattern).chopped(2), QStringLiteral(".*")) +
                QStringLiteral("(\\..*)?");
    } else if (pattern.endsWith(u'.') && pattern.size() > 1) {
        regex = QStringLiteral("(?=[^.]*$)") +
                WildcardToRegex(QStringView(pattern).chopped(1), QStringLiteral(".*"));
    } else {
        regex = WildcardToRegex(pattern, QStringLiteral(".*"));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(regex),
                              QRegularExpression::CaseInsensitiveOption |
                                  QRegularExpression::DotMatchesEverythingOption);
}

} // namespace

// The expression never sees a lone surrogate: it matches nothing in a text that is not
// valid UTF-16, so an escaped byte is matched as the one character U+FFFD.
bool MatchesListingPattern(const QString& name, const QString& pattern) {
    return PatternExpression(pattern).match(ReadableName(name)).hasMatch();
}

FileNameList ListFilesInFolder(const QString& folder, const QString& pattern) {
    QString prefix = folder;
    if (!prefix.endsWith(NativeSeparator()))
        prefix += NativeSeparator();
    const QRegularExpression expression = PatternExpression(pattern);
    QStringList names;
    try {
        DirectoryReader reader(prefix);
        while (const auto entry = reader.next()) {
            if (entry->kind == DirectoryEntry::Kind::Folder ||
                !expression.match(ReadableName(entry->name)).hasMatch())
                continue;
            if (IsExistingFile(prefix + entry->name))
                names.append(entry->name);
        }
    } catch (const FolderError&) {
        // A folder that cannot be listed has no names, and one that breaks off keeps those
        // read so far: the listing never fails its caller.
    }
    return FileNameList(std::move(names));
}

} // namespace tabrivel
