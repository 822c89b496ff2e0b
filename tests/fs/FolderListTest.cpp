#include "fs/FolderList.h"

#include <QTest>

using namespace tabrivel;

// The folder list is walked while entries are removed from it: the walk must neither skip
// an entry nor visit one twice.
class FolderListTest : public QObject {
    Q_OBJECT

private:
    static FolderList Letters() { return FolderList(QStringList{"a/", "b/", "c/", "d/"}); }

private slots:
    void appendCountReadRemove() {
        FolderList list;
        QCOMPARE(list.count(), 0);
        list.append("x/");
        list.append("y/");
        list.append("x/");
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.at(1), QString("x/"));
        QCOMPARE(list.at(3), QString("x/"));
        QCOMPARE(list.indexOf("x/"), 1);
        QCOMPARE(list.indexOf("X/"), 0);
        list.remove(1);
        QCOMPARE(list.entries(), QStringList({"y/", "x/"}));
        QCOMPARE(list.indexOf("x/"), 2);
    }

    // Each row removes one entry (by index) when the walk stands on a given entry.
    void walkSurvivesRemoval_data() {
        QTest::addColumn<QString>("standingOn");
        QTest::addColumn<int>("removeIndex");
        QTest::addColumn<QStringList>("visited");
        QTest::addColumn<QStringList>("remaining");
        QTest::addRow("current entry")
            << "b/" << 2 << QStringList{"a/", "b/", "c/", "d/"} << QStringList{"a/", "c/", "d/"};
        QTest::addRow("first entry while on it")
            << "a/" << 1 << QStringList{"a/", "b/", "c/", "d/"} << QStringList{"b/", "c/", "d/"};
        QTest::addRow("last entry while on it")
            << "d/" << 4 << QStringList{"a/", "b/", "c/", "d/"} << QStringList{"a/", "b/", "c/"};
        QTest::addRow("earlier entry")
            << "c/" << 1 << QStringList{"a/", "b/", "c/", "d/"} << QStringList{"b/", "c/", "d/"};
        QTest::addRow("later entry")
            << "b/" << 3 << QStringList{"a/", "b/", "d/"} << QStringList{"a/", "b/", "d/"};
    }
    void walkSurvivesRemoval() {
        QFETCH(QString, standingOn);
        QFETCH(int, removeIndex);
        QFETCH(QStringList, visited);
        QFETCH(QStringList, remaining);
        FolderList list = Letters();
        QStringList seen;
        for (FolderList::Walk walk(list); walk.next();) {
            seen.append(walk.current());
            if (walk.current() == standingOn) {
                list.remove(removeIndex);
                QCOMPARE(walk.current(), standingOn); // still readable until the next step
            }
        }
        QCOMPARE(seen, visited);
        QCOMPARE(list.entries(), remaining);
    }

    void walkRemovingEveryEntryVisitsEachOnce() {
        FolderList list = Letters();
        QStringList seen;
        for (FolderList::Walk walk(list); walk.next();) {
            seen.append(walk.current());
            list.remove(list.indexOf(walk.current()));
        }
        QCOMPARE(seen, QStringList({"a/", "b/", "c/", "d/"}));
        QCOMPARE(list.count(), 0);
    }

    void walkTakesEntriesAppendedMeanwhile() {
        FolderList list(QStringList{"a/"});
        QStringList seen;
        for (FolderList::Walk walk(list); walk.next();) {
            seen.append(walk.current());
            if (list.count() < 3)
                list.append(walk.current() + "n/");
        }
        QCOMPARE(seen, QStringList({"a/", "a/n/", "a/n/n/"}));
    }

    void twoWalksKeepTheirOwnPlaces() {
        FolderList list = Letters();
        FolderList::Walk outer(list);
        FolderList::Walk inner(list);
        QVERIFY(outer.next()); // a/
        QVERIFY(inner.next());
        QVERIFY(inner.next()); // b/
        list.remove(2);
        QVERIFY(outer.next());
        QCOMPARE(outer.current(), QString("c/"));
        QVERIFY(inner.next());
        QCOMPARE(inner.current(), QString("c/"));
    }

    void walkEndsWhenTheListIsReplaced() {
        FolderList list = Letters();
        FolderList::Walk walk(list);
        QVERIFY(walk.next());
        QVERIFY(walk.next());
        QVERIFY(walk.next());
        list = FolderList(QStringList{"only/"});
        QVERIFY(!walk.next());
    }
};

QTEST_GUILESS_MAIN(FolderListTest)
#include "FolderListTest.moc"
