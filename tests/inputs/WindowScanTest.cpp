#include "inputs/WindowScan.h"
#include "inputs/DroppedFiles.h"
#include "shell/ErrorReport.h"

#include "../fs/TempTree.h"
#include "FakeCommandHost.h"

#include <QDir>
#include <QTest>

using namespace tabrivel;
using namespace tabrivel::testing;

class WindowScanTest : public QObject {
    Q_OBJECT

private slots:
    void scanEntryEndsWithOneSeparator_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("entry");
        const QString sep = QDir::separator();
        QTest::addRow("plain folder") << "a" + sep + "b"
                                      << "a" + sep + "b" + sep;
        QTest::addRow("already ends with one") << "a" + sep << "a" + sep;
        QTest::addRow("root keeps its one") << sep << sep;
    }
    void scanEntryEndsWithOneSeparator() {
        QFETCH(QString, folder);
        QFETCH(QString, entry);
        QCOMPARE(ScanEntry(folder), entry);
    }

    // The scan knows no location of its own; the window's box names it.
    void failureGoesToTheErrorBoxUnderTheScansLocation() {
        TempTree tree;
        tree.folders({"A/B"});
        FakeCommandHost host;
        // Yields: A's entry, B enumerated, B's entry, then B handed up to the first level.
        host.onYield = [&](int yield) {
            if (yield == 4)
                QDir().rmdir(tree.path("A/B"));
            return true;
        };
        FolderList folders;
        folders.append(ScanEntry(tree.path("A")));
        const WindowScan scan(host);
        GetSubDirectories2016(folders, true, scan.hooks());
        const auto boxes = host.scriptedPrompts.messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].title, kErrorBoxTitle);
        QCOMPARE(boxes[0].text,
                 ApplicationErrorText("in Hollimark2021/08/31.AddFolder.GetSubDirectories2016 ",
                                      158, "Path not found"));
        QVERIFY(!scan.windowClosed());
    }

    // A host that answered "closing" may be gone: it is never asked again.
    void closingHostIsNotAskedAgain() {
        TempTree tree;
        tree.folders({"A/B/C", "A/D/E"});
        FakeCommandHost host;
        host.onYield = [](int) {
            return false;
        };
        FolderList folders;
        folders.append(ScanEntry(tree.path("A")));
        const WindowScan scan(host);
        GetSubDirectories2016(folders, true, scan.hooks());
        QVERIFY(scan.windowClosed());
        QCOMPARE(host.yields, 1);
        QVERIFY(host.scriptedPrompts.shown.isEmpty());
    }

    // Dropping a folder while the window closes adds nothing after the close and stops
    // before the next dropped path.
    void dropStopsWhenTheHostCloses() {
        TempTree tree;
        tree.folders({"A/B"});
        tree.file("A/B/t.dbf");
        FakeCommandHost host;
        host.onYield = [](int) {
            return false;
        };
        AddDroppedPaths(host, {tree.path("A"), tree.path("A/B/t.dbf")});
        QCOMPARE(host.inputs.count(), 0);
    }

    void dropOfFilesAndAFolderKeepsTheDropsOrder() {
        TempTree tree;
        tree.folders({"A/B"});
        tree.file("A/B/t.dbf");
        tree.file("A/~skip.dbf");
        tree.file("u.dbf");
        FakeCommandHost host;
        AddDroppedPaths(host, {tree.path("u.dbf"), tree.path("A"), tree.path("gone.dbf")});
        const QStringList expected{tree.path("u.dbf"), tree.path("A/B/t.dbf"),
                                   tree.path("gone.dbf")};
        QStringList rows;
        for (int row = 0; row < host.inputs.count(); ++row)
            rows << host.inputs.pathAt(row);
        QCOMPARE(rows, expected);
        QVERIFY(host.yields > 0);
    }
};

QTEST_MAIN(WindowScanTest)
#include "WindowScanTest.moc"
