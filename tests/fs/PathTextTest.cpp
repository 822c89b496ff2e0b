#include "fs/PathText.h"

#include <QTest>

#include <climits>

using namespace tabrivel;

// The text helpers must take paths apart the same way whichever separator they are given.
// Rows are written with "\"; each is run once as written and once with "/" in its place.
class PathTextTest : public QObject {
    Q_OBJECT

private:
    using TextRoutine = QString (*)(const QString&, QChar);

    static void addRows(const char* routineName, TextRoutine routine, const char* name,
                        const QString& path, const QString& expected) {
        QTest::addRow("%s: %s [\\]", routineName, name)
            << routine << path << QChar(u'\\') << expected;
        QString slashed = path;
        QString slashedExpected = expected;
        slashed.replace(u'\\', u'/');
        slashedExpected.replace(u'\\', u'/');
        QTest::addRow("%s: %s [/]", routineName, name)
            << routine << slashed << QChar(u'/') << slashedExpected;
    }

private slots:
    void separatorRoutines_data() {
        QTest::addColumn<TextRoutine>("routine");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("expected");
        const auto fileName = [](const char* name, const QString& path, const QString& expected) {
            addRows("FileNameOfPath", &FileNameOfPath, name, path, expected);
        };
        fileName("bare name", "table.dbf", "table.dbf");
        fileName("full path", "C:\\data\\table.dbf", "table.dbf");
        fileName("folder with trailing separator", "C:\\data\\", "");
        fileName("empty", "", "");
        fileName("UNC share", "\\\\server\\share", "share");
        fileName("separator only", "\\", "");

        const auto folder = [](const char* name, const QString& path, const QString& expected) {
            addRows("FolderOfPath", &FolderOfPath, name, path, expected);
        };
        folder("bare name", "table.dbf", "");
        folder("full path", "C:\\data\\table.dbf", "C:\\data\\");
        folder("drive root", "C:\\", "C:\\");
        folder("UNC share", "\\\\server\\share", "\\\\server\\");
        folder("empty", "", "");
        folder("dot inside folder", "C:\\my.data\\t", "C:\\my.data\\");

        const auto collapse = [](const char* name, const QString& path, const QString& expected) {
            addRows("CollapseDoubleBackslashes", &CollapseDoubleBackslashes, name, path, expected);
        };
        collapse("doubled in drive path", "C:\\\\data\\\\t.dbf", "C:\\data\\t.dbf");
        collapse("single untouched", "C:\\data\\t.dbf", "C:\\data\\t.dbf");
        collapse("run of three", "C:\\data\\\\\\t", "C:\\data\\\\t");
        collapse("run of four, one pass", "C:\\data\\\\\\\\t", "C:\\data\\\\t");
        collapse("trailing double", "C:\\data\\\\", "C:\\data\\");
        collapse("empty", "", "");
    }
    void separatorRoutines() {
        QFETCH(TextRoutine, routine);
        QFETCH(QString, path);
        QFETCH(QChar, separator);
        QFETCH(QString, expected);
        QCOMPARE(routine(path, separator), expected);
    }

    // A leading run is a network-share prefix only where "\\" is the separator; with "/"
    // it is reduced like any other run, so an absolute POSIX path keeps its one "/".
    void collapseLeadingRun_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("backslashed");
        QTest::addColumn<QString>("slashed");
        QTest::addRow("UNC kept") << "\\\\server\\share"
                                  << "\\\\server\\share"
                                  << "/server/share";
        QTest::addRow("UNC inner double") << "\\\\server\\\\share"
                                          << "\\\\server\\share"
                                          << "/server/share";
        QTest::addRow("leading one") << "\\data"
                                     << "\\\\data"
                                     << "/data";
        QTest::addRow("leading three") << "\\\\\\server\\x"
                                       << "\\\\server\\x"
                                       << "//server/x";
        QTest::addRow("leading four") << "\\\\\\\\server\\x"
                                      << "\\\\server\\x"
                                      << "//server/x";
        QTest::addRow("single separator") << "\\"
                                          << "\\\\"
                                          << "/";
        QTest::addRow("only separators") << "\\\\\\\\\\"
                                         << "\\\\"
                                         << "///";
    }
    void collapseLeadingRun() {
        QFETCH(QString, path);
        QFETCH(QString, backslashed);
        QFETCH(QString, slashed);
        QCOMPARE(CollapseDoubleBackslashes(path, u'\\'), backslashed);
        QCOMPARE(CollapseDoubleBackslashes(QString(path).replace(u'\\', u'/'), u'/'), slashed);
    }

    void otherSeparatorIsPlainText() {
        QCOMPARE(FileNameOfPath("C:\\data/table.dbf", u'\\'), QString("data/table.dbf"));
        QCOMPARE(FolderOfPath("/srv/a\\b", u'/'), QString("/srv/"));
        QCOMPARE(CollapseDoubleBackslashes("a\\\\b//c", u'/'), QString("a\\\\b/c"));
    }

    void pathWithoutExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::addRow("one extension") << "table.dbf"
                                       << "table";
        QTest::addRow("two extensions") << "archive.tar.gz"
                                        << "archive.tar";
        QTest::addRow("leading dot only") << ".dbf"
                                          << ".dbf";
        QTest::addRow("dot profile") << ".profile"
                                     << ".profile";
        QTest::addRow("trailing dot") << "a."
                                      << "a";
        QTest::addRow("no dot") << "README"
                                << "README";
        QTest::addRow("empty") << ""
                               << "";
        QTest::addRow("dot in folder part counts") << "C:\\my.data\\table"
                                                   << "C:\\my";
        QTest::addRow("dot after leading dot") << ".config.bak"
                                               << ".config";
    }
    void pathWithoutExtension() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(PathWithoutExtension(name), expected);
    }

    void hasOddCharacters_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("odd");
        QTest::addRow("letters digits blanks") << "Data 2021 final" << false;
        QTest::addRow("empty") << "" << false;
        QTest::addRow("question mark") << "what?" << true;
        QTest::addRow("tab") << "a\tb" << true;
        QTest::addRow("code 31") << QString("a") + QChar(31) << true;
        QTest::addRow("blank is code 32") << " " << false;
        QTest::addRow("tilde 126") << "~lock" << false;
        QTest::addRow("delete 127") << QString("a") + QChar(127) << true;
        QTest::addRow("control 159") << QString("a") + QChar(159) << true;
        QTest::addRow("no-break space 160") << QString("a") + QChar(160) << false;
        QTest::addRow("accented") << QString::fromUtf8("Données") << false;
        QTest::addRow("cyrillic") << QString::fromUtf8("Таблицы") << false;
        QTest::addRow("emoji pair") << QString::fromUtf8("a\xF0\x9F\x98\x80") << false;
        QTest::addRow("undecodable bytes")
            << QString("bad") + QChar(QChar::ReplacementCharacter) << true;
        QTest::addRow("lone high surrogate") << QString("a") + QChar(0xD83D) + "b" << true;
        QTest::addRow("lone low surrogate") << QString("a") + QChar(0xDE00) << true;
        QTest::addRow("high surrogate at end") << QString("a") + QChar(0xD83D) << true;
    }
    void hasOddCharacters() {
        QFETCH(QString, name);
        QFETCH(bool, odd);
        QCOMPARE(HasOddCharacters(name), odd);
    }

#ifndef Q_OS_WIN
    void pathLimitCountsEncodedBytes_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("reaches");
        QTest::addRow("one below") << QString(PATH_MAX - 1, u'a') << false;
        QTest::addRow("exactly the limit") << QString(PATH_MAX, u'a') << true;
        // Half as many characters, each two bytes: as long as the system counts it.
        QTest::addRow("two-byte characters") << QString(PATH_MAX / 2, QChar(0xE9)) << true;
        QTest::addRow("empty") << QString() << false;
    }
    void pathLimitCountsEncodedBytes() {
        QFETCH(QString, path);
        QFETCH(bool, reaches);
        QCOMPARE(ReachesPathLimit(path), reaches);
    }
#endif
};

QTEST_GUILESS_MAIN(PathTextTest)
#include "PathTextTest.moc"
