#include "PathText.h"

#include <QTest>

#include <climits>

using namespace tabrivel;

// The text helpers must take paths apart the same way whichever separator they are given.
// Rows are written with "\"; each is run once as written and once with "/" in its place.
class PathTextTest : public QObject {
    Q_OBJECT

private:
    static void addSeparatorRows(const char* name, const QString& path, const QString& expected) {
        QTest::addRow("%s [\\]", name) << path << QChar(u'\\') << expected;
        QString slashed = path;
        QString slashedExpected = expected;
        slashed.replace(u'\\', u'/');
        slashedExpected.replace(u'\\', u'/');
        QTest::addRow("%s [/]", name) << slashed << QChar(u'/') << slashedExpected;
    }
    static void addColumns() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("expected");
    }

private slots:
    void fileNameOfPath_data() {
        addColumns();
        addSeparatorRows("bare name", "table.dbf", "table.dbf");
        addSeparatorRows("full path", "C:\\data\\table.dbf", "table.dbf");
        addSeparatorRows("folder with trailing separator", "C:\\data\\", "");
        addSeparatorRows("empty", "", "");
        addSeparatorRows("UNC share", "\\\\server\\share", "share");
        addSeparatorRows("separator only", "\\", "");
    }
    void fileNameOfPath() {
        QFETCH(QString, path);
        QFETCH(QChar, separator);
        QFETCH(QString, expected);
        QCOMPARE(FileNameOfPath(path, separator), expected);
    }

    void folderOfPath_data() {
        addColumns();
        addSeparatorRows("bare name", "table.dbf", "");
        addSeparatorRows("full path", "C:\\data\\table.dbf", "C:\\data\\");
        addSeparatorRows("drive root", "C:\\", "C:\\");
        addSeparatorRows("UNC share", "\\\\server\\share", "\\\\server\\");
        addSeparatorRows("empty", "", "");
        addSeparatorRows("dot inside folder", "C:\\my.data\\t", "C:\\my.data\\");
    }
    void folderOfPath() {
        QFETCH(QString, path);
        QFETCH(QChar, separator);
        QFETCH(QString, expected);
        QCOMPARE(FolderOfPath(path, separator), expected);
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

    void collapseDoubleBackslashes_data() {
        addColumns();
        addSeparatorRows("doubled in drive path", "C:\\\\data\\\\t.dbf", "C:\\data\\t.dbf");
        addSeparatorRows("single untouched", "C:\\data\\t.dbf", "C:\\data\\t.dbf");
        addSeparatorRows("run of three", "C:\\data\\\\\\t", "C:\\data\\\\t");
        addSeparatorRows("run of four, one pass", "C:\\data\\\\\\\\t", "C:\\data\\\\t");
        addSeparatorRows("trailing double", "C:\\data\\\\", "C:\\data\\");
        addSeparatorRows("UNC kept", "\\\\server\\share", "\\\\server\\share");
        addSeparatorRows("UNC inner double", "\\\\server\\\\share", "\\\\server\\share");
        addSeparatorRows("leading one", "\\data", "\\\\data");
        addSeparatorRows("leading three", "\\\\\\server\\x", "\\\\server\\x");
        addSeparatorRows("leading four", "\\\\\\\\server\\x", "\\\\server\\x");
        addSeparatorRows("single separator", "\\", "\\\\");
        addSeparatorRows("only separators", "\\\\\\\\\\", "\\\\");
        addSeparatorRows("empty", "", "");
    }
    void collapseDoubleBackslashes() {
        QFETCH(QString, path);
        QFETCH(QChar, separator);
        QFETCH(QString, expected);
        QCOMPARE(CollapseDoubleBackslashes(path, separator), expected);
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
#include "tst_PathText.moc"
