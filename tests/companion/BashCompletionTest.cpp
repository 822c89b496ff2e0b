// The bash completion against the program it completes: every option the program takes,
// and tables (.dbf files in any case, and folders) where it takes them.
#include "companion/CompanionArguments.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;

namespace {

// What the completion offers for the words typed so far, the last one being completed,
// run in `folder`.
QSet<QString> Offered(const QStringList& typed, const QString& folder = QDir::currentPath()) {
    const QString script = QStringLiteral(
        "source \"$0\"; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _tabrivel_convert; "
        "printf '%s\\n' \"${COMPREPLY[@]}\"");
    QProcess bash;
    bash.setWorkingDirectory(folder);
    bash.start("bash", QStringList{"-c", script, TABRIVEL_COMPLETION, TABRIVEL_CONVERT} + typed);
    if (!bash.waitForFinished(30000))
        return {"<did not finish>"};
    QSet<QString> offered;
    for (const QString& line : QString::fromUtf8(bash.readAllStandardOutput()).split('\n'))
        if (!line.isEmpty())
            offered.insert(line);
    return offered;
}

bool TakenAsOption(const QString& word) {
    const std::vector<std::string> words{word.toStdString(), "a.dbf"};
    return ParseCompanionArguments(words).error.find("Unknown option") == std::string::npos;
}

} // namespace

class BashCompletionTest : public QObject {
    Q_OBJECT

private slots:
    // Every option the help mentions that the parser takes, and nothing else.
    void offersEveryOption() {
        QSet<QString> options;
        static const QRegularExpression mention("(?<![\\w-])--?[a-z][a-z-]*");
        for (const auto& match : mention.globalMatch(QString::fromStdString(CompanionUsage())))
            if (TakenAsOption(match.captured()))
                options.insert(match.captured());
        QVERIFY(options.contains("--strict") && options.contains("-j"));
        QCOMPARE(Offered({"-"}), options);
    }

    void offersTablesAndFoldersWhereTablesGo() {
        QTemporaryDir dir;
        for (const char* name : {"a.dbf", "B.DBF", "notes.txt"})
            QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
        QVERIFY(QDir(dir.path()).mkdir("archive"));
        const QSet<QString> tables{"a.dbf", "B.DBF", "archive"};
        QCOMPARE(Offered({"--strict", ""}, dir.path()), tables);
        QCOMPARE(Offered({""}, dir.path()), tables);
        QCOMPARE(Offered({"-o", ""}, dir.path()), tables + QSet<QString>{"notes.txt"});
        QCOMPARE(Offered({"--table-name", ""}, dir.path()), QSet<QString>{});
        QCOMPARE(Offered({"--dialect", "p"}, dir.path()), QSet<QString>{"postgresql"});
    }
};

QTEST_GUILESS_MAIN(BashCompletionTest)
#include "BashCompletionTest.moc"
