#include "inputs/InputListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace tabrivel;

namespace {

QStringList Paths(const InputListModel& model) {
    QStringList paths;
    for (int row = 0; row < model.count(); ++row)
        paths << model.pathAt(row);
    return paths;
}

} // namespace

class InputListModelTest : public QObject {
    Q_OBJECT

private slots:
    void isPathInList_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        const QStringList two{"/data/a.dbf", "/data/B.DBF"};
        QTest::addRow("empty list") << QStringList{} << "/data/a.dbf" << false;
        QTest::addRow("first row") << two << "/data/a.dbf" << true;
        QTest::addRow("last row") << two << "/data/B.DBF" << true;
        QTest::addRow("differs only in letter case") << two << "/data/A.dbf" << false;
        QTest::addRow("upper-case extension") << two << "/data/a.DBF" << false;
        QTest::addRow("a prefix is not a match") << two << "/data/a" << false;
        QTest::addRow("trailing space is not a match") << two << "/data/a.dbf " << false;
        QTest::addRow("empty path, no empty row") << two << "" << false;
        QTest::addRow("empty path, empty row") << QStringList{"/x.dbf", ""} << "" << true;
        QTest::addRow("backslash path")
            << QStringList{"C:\\Data\\x.dbf"} << "C:\\Data\\x.dbf" << true;
        QTest::addRow("non-ASCII name") << QStringList{"/d/Zürich.dbf"} << "/d/Zürich.dbf" << true;
    }
    void isPathInList() {
        QFETCH(QStringList, rows);
        QFETCH(QString, path);
        QFETCH(bool, expected);
        InputListModel model;
        for (const QString& row : rows)
            model.append(row);
        QCOMPARE(IsPathInList(model, path), expected);
    }

    void appendKeepsDuplicatesInOrder() {
        InputListModel model;
        QAbstractItemModelTester tester(&model);
        for (const char* path : {"/b.dbf", "/a.dbf", "/b.dbf"})
            model.append(path);
        QCOMPARE(Paths(model), (QStringList{"/b.dbf", "/a.dbf", "/b.dbf"}));
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("DBF File(s)"));
        QCOMPARE(model.data(model.index(1)).toString(), QString("/a.dbf"));
    }

    void edits_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("remove middle") << "remove 1" << true << QStringList{"/a", "/c"};
        QTest::addRow("remove last") << "remove 2" << true << QStringList{"/a", "/b"};
        QTest::addRow("remove past the end")
            << "remove 3" << false << QStringList{"/a", "/b", "/c"};
        QTest::addRow("remove before the start")
            << "remove -1" << false << QStringList{"/a", "/b", "/c"};
        QTest::addRow("exchange first and last")
            << "exchange 0 2" << true << QStringList{"/c", "/b", "/a"};
        QTest::addRow("exchange a row with itself")
            << "exchange 1 1" << true << QStringList{"/a", "/b", "/c"};
        QTest::addRow("exchange past the end")
            << "exchange 0 3" << false << QStringList{"/a", "/b", "/c"};
        QTest::addRow("clear") << "clear" << true << QStringList{};
    }
    void edits() {
        QFETCH(QString, edit);
        QFETCH(bool, done);
        QFETCH(QStringList, expected);
        InputListModel model;
        QAbstractItemModelTester tester(&model);
        for (const char* path : {"/a", "/b", "/c"})
            model.append(path);
        const QStringList words = edit.split(' ');
        bool result = true;
        if (words[0] == "remove")
            result = model.removeAt(words[1].toInt());
        else if (words[0] == "exchange")
            result = model.exchange(words[1].toInt(), words[2].toInt());
        else
            model.clear();
        QCOMPARE(result, done);
        QCOMPARE(Paths(model), expected);
        QCOMPARE(model.rowCount(), int(expected.size()));
    }

    void exchangeTellsTheViewsAboutBothRows() {
        InputListModel model;
        for (const char* path : {"/a", "/b", "/c"})
            model.append(path);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.exchange(2, 0);
        QCOMPARE(changed.count(), 2);
        QSet<int> rows;
        for (const QList<QVariant>& signal : changed)
            rows << signal.at(0).toModelIndex().row();
        QCOMPARE(rows, (QSet<int>{0, 2}));
    }
};

QTEST_GUILESS_MAIN(InputListModelTest)
#include "InputListModelTest.moc"
