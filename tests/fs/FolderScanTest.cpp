#include "fs/FolderScan.h"
#include "AccessOverride.h"
#include "TempTree.h"
#include "fs/FolderObject.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTest>

#ifndef Q_OS_WIN
#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

using namespace tabrivel;

namespace {

struct Report {
    int statement;
    QString description;
};

QString Describe(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("not a standard exception");
    }
}

// Stands in for the window: records every report and yield, and can act at a given yield.
struct ScanProbe {
    QList<Report> reports;
    int yields = 0;
    int stopAfterYield = 0; // 0: never asks the scan to stop
    std::function<void(int yield)> onYield;

    ScanHooks hooks() {
        return ScanHooks{[this](int statement, std::exception_ptr failure) {
                             reports.append({statement, Describe(failure)});
                         },
                         [this] {
                             ++yields;
                             if (onYield)
                                 onYield(yields);
                             // A scan that went round a loop would go on for ever.
                             if (yields > 100000)
                                 qFatal("the folder scan does not end");
                         },
                         [this] {
                             return stopAfterYield > 0 && yields >= stopAfterYield;
                         }};
    }
};

QStringList Scan(const QStringList& start, bool recurse, ScanProbe& probe) {
    FolderList list(start);
    GetSubDirectories2016(list, recurse, probe.hooks());
    return list.entries();
}

QStringList Scan(const QStringList& start, bool recurse = true) {
    ScanProbe probe;
    QStringList result = Scan(start, recurse, probe);
    if (!probe.reports.isEmpty())
        qWarning("unexpected report at %d", probe.reports.first().statement);
    return result;
}

} // namespace

class FolderScanTest : public QObject {
    Q_OBJECT

private slots:
    void breadthFirstLevelByLevel() {
        TempTree tree;
        tree.folders({"A/B/D", "A/C/E"});
        const QStringList result = Scan({tree.folder("A")});
        // B and C come in the listing's order, and their children follow in that same order.
        const QStringList level1 = tree.listedSubFolders("A");
        QStringList expected{tree.folder("A")};
        expected += level1;
        for (const QString& folder : level1)
            expected += QDir(folder).dirName() == "B" ? tree.folder("A/B/D") : tree.folder("A/C/E");
        QCOMPARE(result, expected);
    }

    void subFoldersInListingOrder() {
        TempTree tree;
        for (int i = 0; i < 12; ++i)
            tree.folders({QString("R/f%1").arg(i)});
        QCOMPARE(Scan({tree.folder("R")}),
                 QStringList{tree.folder("R")} + tree.listedSubFolders("R"));
    }

    void recurseFalseAddsOnlyDirectSubFolders() {
        TempTree tree;
        tree.folders({"A/B/D", "A/C/E"});
        QCOMPARE(Scan({tree.folder("A")}, false),
                 QStringList{tree.folder("A")} + tree.listedSubFolders("A"));
    }

    void everyStartingEntryIsScannedInTurn() {
        TempTree tree;
        tree.folders({"A/a1", "B/b1/b2"});
        QCOMPARE(Scan({tree.folder("A"), tree.folder("B")}),
                 QStringList({tree.folder("A"), tree.folder("B"), tree.folder("A/a1"),
                              tree.folder("B/b1"), tree.folder("B/b1/b2")}));
    }

    void entriesThatAreNoFoldersStayAndGainNothing_data() {
        QTest::addColumn<QString>("relative");
        QTest::addRow("folder without sub-folders") << "empty";
        QTest::addRow("a file") << "table.dbf";
        QTest::addRow("a missing path") << "missing";
    }
    void entriesThatAreNoFoldersStayAndGainNothing() {
        QFETCH(QString, relative);
        TempTree tree;
        tree.folders({"empty", "A/B"});
        tree.file("table.dbf");
        tree.file("empty/inside.dbf");
        const QString entry = tree.folder(relative);
        const QString plainFile = tree.path("table.dbf");
        QCOMPARE(Scan({entry}), QStringList{entry});
        QCOMPARE(Scan({plainFile, tree.folder("A")}),
                 QStringList({plainFile, tree.folder("A"), tree.folder("A/B")}));
    }

    void startingEntryWithoutSeparatorGetsOne() {
        TempTree tree;
        tree.folders({"A/B"});
        QCOMPARE(Scan({tree.path("A")}), QStringList({tree.path("A"), tree.folder("A/B")}));
    }

#ifndef Q_OS_WIN
    void unreadableFoldersAreRemoved() {
        TempTree tree;
        tree.folders({"R/open/inner", "R/locked1/hidden", "R/locked2", "R/open2"});
        const QString locked1 = tree.path("R/locked1");
        const QString locked2 = tree.path("R/locked2");
        const auto writeAndSearch = QFile::WriteOwner | QFile::ExeOwner;
        QFile::setPermissions(locked1, writeAndSearch);
        QFile::setPermissions(locked2, writeAndSearch);
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(locked1, QFile::ReadOwner | writeAndSearch);
            QFile::setPermissions(locked2, QFile::ReadOwner | writeAndSearch);
        });
        const WithoutAccessOverride asAnyUser;
        if (DIR* dir = opendir(QFile::encodeName(locked1).constData())) {
            closedir(dir);
            QSKIP("folder permissions do not bite for this user here");
        }
        ScanProbe probe;
        const QStringList result = Scan({tree.folder("R")}, true, probe);
        QVERIFY(probe.reports.isEmpty());
        QStringList expected{tree.folder("R")};
        for (const QString& folder : tree.listedSubFolders("R")) {
            if (!folder.contains("locked"))
                expected.append(folder);
        }
        expected.append(tree.folder("R/open/inner"));
        QCOMPARE(result, expected);
        // A starting entry that refuses its listing leaves the list as well.
        QCOMPARE(Scan({tree.folder("R/locked1"), tree.folder("R/open2")}),
                 QStringList{tree.folder("R/open2")});
    }

    void linkLoopsEndAndEachFolderIsListedOnce() {
        TempTree tree;
        tree.folders({"A/B", "A/C", "outside/x"});
        tree.link("A/B/up", tree.path("A"));
        tree.link("A/B/self", tree.path("A/B"));
        tree.link("A/C/sideways", tree.path("A/B"));
        tree.link("A/C/out1", tree.path("outside"));
        tree.link("A/C/out2", tree.path("outside"));
        const QStringList result = Scan({tree.folder("A")});
        // Of the two links to one outside folder, the first listed is the one kept.
        const bool out1First = tree.listedSubFolders("A/C").indexOf(tree.folder("A/C/out1")) <
                               tree.listedSubFolders("A/C").indexOf(tree.folder("A/C/out2"));
        const QString out = out1First ? "A/C/out1" : "A/C/out2";
        QStringList expected{tree.folder("A")};
        expected += tree.listedSubFolders("A");
        expected += tree.folder(out);
        expected += tree.folder(out + "/x");
        QCOMPARE(result, expected);
    }

    void oddNamesAreLeftOutWithTheirSubtree() {
        TempTree tree;
        tree.folders({"A/plain/deep", "A/.dotted/deep", "A/tab\tname/deep", "A/what?/deep",
                      QString("A/del%1/deep").arg(QChar(127))});
        tree.rawFolder("A/bad\xff");
        QStringList level1;
        for (const QString& folder : tree.listedSubFolders("A")) {
            if (folder.endsWith("plain/") || folder.endsWith(".dotted/"))
                level1.append(folder);
        }
        QStringList expected = QStringList{tree.folder("A")} + level1;
        for (const QString& folder : level1)
            expected.append(folder + "deep/");
        QCOMPARE(Scan({tree.folder("A")}), expected);
    }

    // Any other failure abandons just that folder: it stays, gains nothing, and the scan
    // goes on with the next entry. Running out of file descriptors is one such failure.
    void otherListingFailureAbandonsJustThatFolder() {
        TempTree tree;
        tree.folders({"X/x1", "Y/y1"});
        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_NOFILE, &saved) == 0);
        ScanProbe probe;
        // The first yield is X's entry, just before it is listed; the second is Y's.
        probe.onYield = [&](int yield) {
            if (yield == 1) {
                const int lowestFree = dup(0);
                close(lowestFree);
                rlimit none = saved;
                none.rlim_cur = static_cast<rlim_t>(lowestFree);
                setrlimit(RLIMIT_NOFILE, &none);
            } else {
                setrlimit(RLIMIT_NOFILE, &saved);
            }
        };
        const QStringList result = Scan({tree.folder("X"), tree.folder("Y")}, true, probe);
        setrlimit(RLIMIT_NOFILE, &saved);
        QVERIFY(probe.reports.isEmpty());
        QCOMPARE(result, QStringList({tree.folder("X"), tree.folder("Y"), tree.folder("Y/y1")}));
    }
#endif

    void attributeExclusion_data() {
        QTest::addColumn<int>("attributes");
        QTest::addColumn<bool>("isRoot");
        QTest::addColumn<bool>("excluded");
        QTest::addRow("hidden system folder") << 22 << false << true;
        QTest::addRow("hidden system alias folder") << 1046 << false << true;
        QTest::addRow("hidden system folder as root") << 22 << true << false;
        QTest::addRow("with archive bit") << 54 << false << false;
        QTest::addRow("hidden only") << 18 << false << false;
        QTest::addRow("system only") << 20 << false << false;
        QTest::addRow("plain folder") << 16 << false << false;
    }
    void attributeExclusion() {
        QFETCH(int, attributes);
        QFETCH(bool, isRoot);
        QFETCH(bool, excluded);
        QCOMPARE((FolderObject{attributes, isRoot}.isExcluded()), excluded);
    }

    void yieldsOncePerFolderEntrySubFolderAndCollectedFolder() {
        TempTree tree;
        tree.folders({"A/B/D", "A/C/E"});
        ScanProbe probe;
        Scan({tree.folder("A")}, true, probe);
        // Entries: A, B, C, D, E (5); sub-folders enumerated: B, C, D, E (4); folders
        // collected and handed up: D, E into the second level, B, C, D, E into the first (6).
        QCOMPARE(probe.yields, 15);
    }

    // Once the window has closed, nothing may keep the scan going: no further yield, no
    // report, whichever kind of yield the closing came at.
    void stopEndsTheScanAtOnce_data() {
        QTest::addColumn<int>("stopAfter");
        QTest::addRow("at the first entry") << 1;
        QTest::addRow("while enumerating") << 2;
        QTest::addRow("in the nested level") << 6;
        QTest::addRow("while handing up") << 12;
    }
    void stopEndsTheScanAtOnce() {
        QFETCH(int, stopAfter);
        TempTree tree;
        tree.folders({"A/B/D", "A/C/E"});
        ScanProbe probe;
        probe.stopAfterYield = stopAfter;
        const QStringList result = Scan({tree.folder("A")}, true, probe);
        QCOMPARE(probe.yields, stopAfter);
        QVERIFY(probe.reports.isEmpty());
        QCOMPARE(result.first(), tree.folder("A"));
    }

    // A folder that disappears while the scan yields cannot be listed any more: it leaves
    // the list quietly, whether or not it was the first entry.
    void folderVanishingBeforeItsListingIsDropped_data() {
        QTest::addColumn<bool>("vanishingFirst");
        QTest::addRow("first entry") << true;
        QTest::addRow("second entry") << false;
    }
    void folderVanishingBeforeItsListingIsDropped() {
        QFETCH(bool, vanishingFirst);
        TempTree tree;
        tree.folders({"keep", "gone"});
        ScanProbe probe;
        probe.onYield = [&](int yield) {
            if (yield == (vanishingFirst ? 1 : 2))
                QDir().rmdir(tree.path("gone"));
        };
        const QStringList start = vanishingFirst
                                      ? QStringList{tree.folder("gone"), tree.folder("keep")}
                                      : QStringList{tree.folder("keep"), tree.folder("gone")};
        QCOMPARE(Scan(start, true, probe), QStringList{tree.folder("keep")});
        QVERIFY(probe.reports.isEmpty());
    }

    void folderVanishingBeforeItIsHandedUpIsReported() {
        TempTree tree;
        tree.folders({"A/B"});
        ScanProbe probe;
        // Yields: A's entry, B enumerated, B's entry, then B handed up to the first level.
        probe.onYield = [&](int yield) {
            if (yield == 4)
                QDir().rmdir(tree.path("A/B"));
        };
        const QStringList result = Scan({tree.folder("A")}, true, probe);
        QCOMPARE(probe.reports.size(), 1);
        QCOMPARE(probe.reports[0].statement, 158);
        QCOMPARE(probe.reports[0].description, QString("Path not found"));
        // The failed test counts as passed, so the folder is still handed on.
        QCOMPARE(result, QStringList({tree.folder("A"), tree.folder("A/B")}));
    }
};

QTEST_GUILESS_MAIN(FolderScanTest)
#include "FolderScanTest.moc"
