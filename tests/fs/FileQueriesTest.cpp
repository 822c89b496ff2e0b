#include "fs/FileQueries.h"
#include "TempTree.h"

#include <QTest>

#include <optional>

using namespace tabrivel;

// The file-system questions on a real temporary tree. None of them may ever fail its
// caller: every refusal of the file system is the answer false.
class FileQueriesTest : public QObject {
    Q_OBJECT

private:
    TempTree tree_;

    QString sep() const { return QDir::separator(); }

private slots:
    void initTestCase() {
        tree_.folders({"folder", ".hidden-folder"});
        tree_.file("table.dbf");
        tree_.file(".hidden.dbf");
#ifndef Q_OS_WIN
        tree_.link("link-to-file", tree_.path("table.dbf"));
        tree_.link("link-to-folder", tree_.path("folder"));
        tree_.link("broken-link", tree_.path("nothing-here"));
        tree_.fifo("pipe");
#endif
    }

    void queries_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<bool>("isFile");
        QTest::addColumn<bool>("exists");
        QTest::addRow("folder") << "folder"
                                << "" << true << false << true;
        QTest::addRow("folder with trailing separator")
            << "folder" << sep() << true << false << true;
        QTest::addRow("file") << "table.dbf"
                              << "" << false << true << true;
        QTest::addRow("file with trailing separator")
            << "table.dbf" << sep() << false << false << false;
        QTest::addRow("missing") << "missing.dbf"
                                 << "" << false << false << false;
        QTest::addRow("inside missing folder") << "nowhere/t.dbf"
                                               << "" << false << false << false;
        QTest::addRow("NUL cuts no path short")
            << "table.dbf" << QString(QChar(u'\0')) + "junk" << false << false << false;
#ifndef Q_OS_WIN
        QTest::addRow("link to file") << "link-to-file"
                                      << "" << false << true << true;
        QTest::addRow("link to folder") << "link-to-folder"
                                        << "" << true << false << true;
        QTest::addRow("broken link") << "broken-link"
                                     << "" << false << false << false;
        // Opening a pipe to test it would wait for a writer forever.
        QTest::addRow("pipe is no regular file") << "pipe"
                                                 << "" << false << false << true;
#endif
    }
    void queries() {
        QFETCH(QString, relative);
        QFETCH(QString, suffix);
        QFETCH(bool, isFolder);
        QFETCH(bool, isFile);
        QFETCH(bool, exists);
        const QString path = tree_.path(relative) + suffix;
        QCOMPARE(IsFolder(path), isFolder);
        QCOMPARE(IsExistingFile(path), isFile);
        QCOMPARE(PathExists(path), exists);
    }

    void emptyTextIsNothing() {
        QVERIFY(!IsFolder(QString()));
        QVERIFY(!IsExistingFile(QString()));
        QVERIFY(!PathExists(QString()));
        QCOMPARE(FileAttributes(QString()), std::nullopt);
    }

#ifndef Q_OS_WIN
    void posixAttributes_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<std::optional<int>>("attributes");
        QTest::addRow("file is archive") << tree_.path("table.dbf") << std::optional(32);
        QTest::addRow("dot-file is hidden archive")
            << tree_.path(".hidden.dbf") << std::optional(34);
        QTest::addRow("folder") << tree_.path("folder") << std::optional(16);
        QTest::addRow("dot-folder is hidden") << tree_.path(".hidden-folder") << std::optional(18);
        QTest::addRow("dot-folder with separator")
            << tree_.folder(".hidden-folder") << std::optional(18);
        QTest::addRow("link to folder is alias")
            << tree_.path("link-to-folder") << std::optional(1040);
        QTest::addRow("link to folder with separator")
            << tree_.folder("link-to-folder") << std::optional(1040);
        QTest::addRow("link to file") << tree_.path("link-to-file") << std::optional(1056);
        QTest::addRow("root is not hidden") << QString("/") << std::optional(16);
        QTest::addRow("missing") << tree_.path("missing") << std::optional<int>();
    }
    void posixAttributes() {
        QFETCH(QString, path);
        QFETCH(std::optional<int>, attributes);
        QCOMPARE(FileAttributes(path), attributes);
    }
#endif
};

QTEST_GUILESS_MAIN(FileQueriesTest)
#include "FileQueriesTest.moc"
