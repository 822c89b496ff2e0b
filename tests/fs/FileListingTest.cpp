#include "fs/FileListing.h"
#include "TempTree.h"
#include "fs/FileQueries.h"
#include "fs/NativePath.h"

#include <QTest>

using namespace tabrivel;

// Folder listings: which names come back, in which order, and the shape of an empty one.
class FileListingTest : public QObject {
    Q_OBJECT

private slots:
    void patterns_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::addRow("extension") << "table.dbf"
                                   << "*.dbf" << true;
        QTest::addRow("extension in capitals") << "TABLE.DBF"
                                               << "*.dbf" << true;
        QTest::addRow("longer extension") << "table.dbf.bak"
                                          << "*.dbf" << false;
        QTest::addRow("extension without dot") << "tabledbf"
                                               << "*.dbf" << false;
        QTest::addRow("star dot star, no dot") << "README"
                                               << "*.*" << true;
        QTest::addRow("star dot star, dot-file") << ".hidden"
                                                 << "*.*" << true;
        QTest::addRow("star dot star, two dots") << "a.b.c"
                                                 << "*.*" << true;
        QTest::addRow("star") << "anything.at.all"
                              << "*" << true;
        QTest::addRow("star dot, no extension") << "README"
                                                << "*." << true;
        QTest::addRow("star dot, extension") << "table.dbf"
                                             << "*." << false;
        QTest::addRow("two dots, plain name") << "t.dbf"
                                              << "*..dbf" << false;
        QTest::addRow("two dots, doubled name") << "t..dbf"
                                                << "*..dbf" << true;
        QTest::addRow("question mark one character") << "a1.dbf"
                                                     << "a?.dbf" << true;
        QTest::addRow("question mark not two") << "a12.dbf"
                                               << "a?.dbf" << false;
        QTest::addRow("brackets are literal") << "[x].dbf"
                                              << "[x].dbf" << true;
        QTest::addRow("brackets match no class") << "x.dbf"
                                                 << "[x].dbf" << false;
        QTest::addRow("plus is literal") << "a+b.dbf"
                                         << "a+b.dbf" << true;
        QTest::addRow("tilde name") << "~lock.dbf"
                                    << "*.dbf" << true;
        QTest::addRow("prefix and star dot star") << "data"
                                                  << "da*.*" << true;
        QTest::addRow("prefix mismatch") << "info.txt"
                                         << "da*.*" << false;
    }
    void patterns() {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(MatchesListingPattern(name, pattern), matches);
    }

    void hiddenAndNormalFilesAreListed() {
        TempTree tree;
        tree.file(".hidden.dbf");
        tree.file("normal.dbf");
        const FileNameList names = ListFilesInFolder(tree.path(""), "*.*");
        QCOMPARE(names.count(), 2);
        QCOMPARE(names.names(), tree.listedFiles(""));
    }

    void listingKeepsFileSystemOrder() {
        TempTree tree;
        for (int i = 0; i < 30; ++i)
            tree.file(QString("t%1.dbf").arg(i));
        const FileNameList names = ListFilesInFolder(tree.path(""), "*.dbf");
        QCOMPARE(names.names(), tree.listedFiles(""));
        QCOMPARE(names.lowerBound(), 1);
        QCOMPARE(names.upperBound(), 30);
        QCOMPARE(names.at(1), tree.listedFiles("").first());
    }

    void onlyMatchingRegularFiles() {
        TempTree tree;
        tree.folders({"sub.dbf"});
        tree.file("a.dbf");
        tree.file("B.DBF");
        tree.file("notes.txt");
#ifndef Q_OS_WIN
        tree.link("linked.dbf", tree.path("a.dbf"));
        tree.link("broken.dbf", tree.path("gone.dbf"));
        tree.fifo("pipe.dbf");
#endif
        QStringList names = ListFilesInFolder(tree.path(""), "*.dbf").names();
        names.sort();
#ifdef Q_OS_WIN
        QCOMPARE(names, QStringList({"B.DBF", "a.dbf"}));
#else
        QCOMPARE(names, QStringList({"B.DBF", "a.dbf", "linked.dbf"}));
#endif
    }

    void folderWithOrWithoutSeparator() {
        TempTree tree;
        tree.file("a.dbf");
        QCOMPARE(ListFilesInFolder(tree.path(""), "*.dbf").names(), QStringList{"a.dbf"});
        QCOMPARE(ListFilesInFolder(tree.folder(""), "*.dbf").names(), QStringList{"a.dbf"});
    }

    void emptyListings_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("pattern");
        QTest::addRow("only sub-folders") << "only-folders"
                                          << "*.*";
        QTest::addRow("missing folder") << "missing"
                                        << "*.*";
        QTest::addRow("nothing matches") << "files"
                                         << "*.txt";
        QTest::addRow("a file, not a folder") << "files/a.dbf"
                                              << "*.*";
    }
    void emptyListings() {
        QFETCH(QString, relative);
        QFETCH(QString, pattern);
        TempTree tree;
        tree.folders({"only-folders/one", "only-folders/two", "files"});
        tree.file("files/a.dbf");
        const FileNameList names = ListFilesInFolder(tree.path(relative), pattern);
        // A walk from index 1 to the upper bound takes nothing; the raw form is one empty name.
        QCOMPARE(names.count(), 0);
        QCOMPARE(names.upperBound(), 0);
        QCOMPARE(names.lowerBound(), 0);
        QCOMPARE(names.at(0), QString());
        QCOMPARE(names.raw(), QStringList{QString()});
    }

#ifndef Q_OS_WIN
    // A name that is not UTF-8 is listed in a form that reaches its file again, and
    // matches a pattern with its undecodable byte as one character.
    void undecodableFileNameIsListedAndReachesItsFile_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addRow("extension") << "*.dbf";
        QTest::addRow("one character for the byte") << "caf?.dbf";
        QTest::addRow("stars") << "c*.d*";
    }
    void undecodableFileNameIsListedAndReachesItsFile() {
        QFETCH(QString, pattern);
        TempTree tree;
        tree.rawFile("caf\xe9.dbf");
        tree.rawFile("caf\xc3\xa9.txt");
        const QStringList names = ListFilesInFolder(tree.path(""), pattern).names();
        const QString name = DecodeNativeName("caf\xe9.dbf");
        QCOMPARE(names, QStringList{name});
        QVERIFY(IsExistingFile(tree.path("") + '/' + name));
        QVERIFY(!IsExistingFile(tree.path("") + '/' + ReadableName(name)));
    }
#endif
};

QTEST_GUILESS_MAIN(FileListingTest)
#include "FileListingTest.moc"
