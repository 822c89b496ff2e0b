#include "results/ResultsListView.h"
#include "results/ResultsListModel.h"

#include <QAbstractItemModelTester>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

using namespace tabrivel;

namespace {

class Harness {
public:
    explicit Harness(int rows) {
        for (int k = 0; k < rows; ++k)
            model.append("INSERT INTO t ('" + std::to_string(k) + "');");
        model.flushPendingRows();
        view.setBusyCheck([this] { return busy; });
        view.resize(400, 200);
        view.show();
    }

    QStringList texts() const {
        QStringList texts;
        for (int row = 0; row < model.count(); ++row)
            texts << model.textAt(row);
        return texts;
    }
    QPoint at(int row) const { return view.visualRect(model.index(row)).center(); }
    void doubleClick(QPoint pos) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, pos);
    }

    ResultsListModel model;
    ResultsListView view{&model};
    QAbstractItemModelTester tester{&model};
    bool busy = false;
};

QStringList Without(QStringList texts, int row) {
    texts.removeAt(row);
    return texts;
}

} // namespace

class ResultsListViewTest : public QObject {
    Q_OBJECT

private slots:
    void keys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("removed");
        QTest::addRow("Delete") << int(Qt::Key_Delete) << 0 << false << true;
        QTest::addRow("Shift+Delete")
            << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << false << true;
        QTest::addRow("Ctrl+Delete")
            << int(Qt::Key_Delete) << int(Qt::ControlModifier) << false << true;
        QTest::addRow("Alt+Delete") << int(Qt::Key_Delete) << int(Qt::AltModifier) << false << true;
        QTest::addRow("Delete while busy") << int(Qt::Key_Delete) << 0 << true << false;
        QTest::addRow("Backspace") << int(Qt::Key_Backspace) << 0 << false << false;
        QTest::addRow("full stop, whose Qt key code is 46")
            << int(Qt::Key_Period) << 0 << false << false;
        QTest::addRow("Space") << int(Qt::Key_Space) << 0 << false << false;
    }
    void keys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, busy);
        QFETCH(bool, removed);
        Harness h(5);
        const QStringList before = h.texts();
        h.view.selectRow(2);
        h.busy = busy;
        QTest::keyClick(&h.view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(h.texts(), removed ? Without(before, 2) : before);
    }

    void otherKeysKeepTheirUsualMeaning() {
        Harness h(5);
        h.view.setFocus();
        h.view.selectRow(1);
        QTest::keyClick(&h.view, Qt::Key_Down);
        QCOMPARE(h.view.selectedRow().value_or(-1), 2);
        QCOMPARE(h.model.count(), 5);
    }

    void doubleClick_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<int>("removed");
        QTest::addRow("removes the clicked row") << 5 << false << 3 << 3;
        QTest::addRow("first row") << 5 << false << 0 << 0;
        QTest::addRow("refused while busy") << 5 << true << 3 << -1;
        QTest::addRow("empty list") << 0 << false << -1 << -1;
        QTest::addRow("below the rows with none selected") << 3 << false << -1 << -1;
    }
    void doubleClick() {
        QFETCH(int, rows);
        QFETCH(bool, busy);
        QFETCH(int, clicked);
        QFETCH(int, removed);
        Harness h(rows);
        const QStringList before = h.texts();
        h.busy = busy;
        const QPoint below(20, h.view.viewport()->height() - 3);
        h.doubleClick(clicked >= 0 ? h.at(clicked) : below);
        QCOMPARE(h.texts(), removed >= 0 ? Without(before, removed) : before);
    }

    void removalsLeaveNoGap() {
        // What Save and Copy read after a few removals: the rest, in order.
        Harness h(6);
        const QStringList before = h.texts();
        for (int row : {4, 0, 2}) {
            h.view.selectRow(row);
            QVERIFY(h.view.removeSelectedRow());
        }
        QCOMPARE(h.texts(), (QStringList{before[1], before[2], before[5]}));
        QCOMPARE(h.model.rowCount(), 3);
    }

    void toolTipAndColumn() {
        Harness h(1);
        QCOMPARE(h.view.toolTip(),
                 QString("Move | line to right and out of window to reveal full names."));
        const QPoint overRow = h.at(0);
        QHelpEvent hover(QEvent::ToolTip, overRow, h.view.viewport()->mapToGlobal(overRow));
        QApplication::sendEvent(h.view.viewport(), &hover);
        QTRY_COMPARE(QToolTip::text(), h.view.toolTip());
        QCOMPARE(h.model.headerData(0, Qt::Horizontal).toString(), QString("Result(s)"));
        QVERIFY(h.view.uniformRowHeights());
    }
};

QTEST_MAIN(ResultsListViewTest)
#include "ResultsListViewTest.moc"
