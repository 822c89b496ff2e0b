#include "results/ResultsListModel.h"
#include "SampleStatements.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace tabrivel;

namespace {

QStringList Texts(const ResultsListModel& model) {
    QStringList texts;
    for (int row = 0; row < model.count(); ++row)
        texts << model.textAt(row);
    return texts;
}

QStringList Shown(const ResultsListModel& model) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.data(model.index(row)).toString();
    return texts;
}

int InsertedRows(const QSignalSpy& spy) {
    int rows = 0;
    for (const QList<QVariant>& signal : spy)
        rows += signal.at(2).toInt() - signal.at(1).toInt() + 1;
    return rows;
}

} // namespace

class ResultsListModelTest : public QObject {
    Q_OBJECT

private slots:
    void headerAndText() {
        ResultsListModel model;
        QAbstractItemModelTester tester(&model);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Result(s)"));
        model.append("INSERT INTO 'Table1_x' ('Zürich','東京');");
        model.flushPendingRows();
        QCOMPARE(model.textAt(0), QString::fromUtf8("INSERT INTO 'Table1_x' ('Zürich','東京');"));
        QCOMPARE(model.data(model.index(0)).toString(), model.textAt(0));
    }

    void orderAfterRemovals_data() {
        QTest::addColumn<int>("shownBeforeRemoving");
        QTest::addColumn<QList<int>>("removed");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("middle row") << 5 << QList<int>{2} << QStringList{"a", "b", "d", "e"};
        QTest::addRow("first and last") << 5 << QList<int>{0, 3} << QStringList{"b", "c", "d"};
        QTest::addRow("a row no view was told about")
            << 3 << QList<int>{3} << QStringList{"a", "b", "c", "e"};
        QTest::addRow("on both sides of the told rows")
            << 2 << QList<int>{4, 0, 1} << QStringList{"b", "d"};
        QTest::addRow("out of range removes nothing")
            << 5 << QList<int>{5, -1} << QStringList{"a", "b", "c", "d", "e"};
    }
    void orderAfterRemovals() {
        QFETCH(int, shownBeforeRemoving);
        QFETCH(QList<int>, removed);
        QFETCH(QStringList, expected);
        ResultsListModel model;
        QAbstractItemModelTester tester(&model);
        for (const char* text : {"a", "b", "c", "d", "e"}) {
            model.append(text);
            if (model.count() == shownBeforeRemoving)
                model.flushPendingRows();
        }
        for (int row : removed)
            model.removeAt(row);
        QCOMPARE(Texts(model), expected);
        model.flushPendingRows();
        QCOMPARE(Shown(model), expected);
    }

    void burstIsToldInAFewBatches() {
        // No model tester here: it walks every row at each signal, and so would turn
        // the burst into a test of itself.
        ResultsListModel model;
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QElapsedTimer clock;
        clock.start();
        for (int k = 0; k < 100000; ++k) {
            model.append("INSERT INTO 'Table1_t' ('" + std::to_string(k) + "');");
            // Readers see every row at once, before any view is told.
            if (k % 25000 == 0)
                QCOMPARE(model.textAt(k), QString("INSERT INTO 'Table1_t' ('%1');").arg(k));
        }
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(model.count(), 100000);
        model.flushPendingRows();
        QCOMPARE(model.rowCount(), 100000);
        QCOMPARE(model.pendingRowCount(), 0);
        QCOMPARE(InsertedRows(inserted), 100000);
        // One batch per interval at most, plus the final flush.
        QVERIFY2(inserted.count() <= elapsed / ResultsListModel::kNotifyIntervalMs + 2,
                 qPrintable(QString("%1 batches in %2 ms").arg(inserted.count()).arg(elapsed)));
    }

    void rowsAppendedLastReachTheViewsWithoutAFlush() {
        ResultsListModel model;
        QAbstractItemModelTester tester(&model);
        model.flushPendingRows(); // the next appends fall inside one interval
        model.append("a");
        model.append("b");
        QCOMPARE(model.count(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(model.rowCount(), 2, 2000);
    }

    void clearWhileRowsWait() {
        ResultsListModel model;
        QAbstractItemModelTester tester(&model);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.append("a");
        model.flushPendingRows();
        model.append("b");
        model.clear();
        QCOMPARE(model.count(), 0);
        QCOMPARE(model.rowCount(), 0);
        QTest::qWait(2 * ResultsListModel::kNotifyIntervalMs);
        QCOMPARE(inserted.count(), 1);
        model.append("c");
        model.flushPendingRows();
        QCOMPARE(Shown(model), QStringList{"c"});
    }

    void memoryStaysNearTheTextSize() {
        ResultsListModel model;
        testing::SampleStatements samples;
        for (int k = 0; k < 100000; ++k)
            model.append(samples.insert(k));
        model.flushPendingRows();
        const double limit = 1.25 * double(model.textBytes()) + 16.0 * model.count();
        QVERIFY2(double(model.memoryBytes()) <= limit,
                 qPrintable(QString("%1 bytes for %2 bytes of text")
                                .arg(model.memoryBytes())
                                .arg(model.textBytes())));
    }
};

QTEST_GUILESS_MAIN(ResultsListModelTest)
#include "ResultsListModelTest.moc"
