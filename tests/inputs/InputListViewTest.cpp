#include "inputs/InputListView.h"
#include "inputs/InputListModel.h"
#include "shell/ProgramFiles.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <memory>

using namespace tabrivel;

namespace {

const QStringList kFive{"/d/A.dbf", "/d/B.dbf", "/d/C.dbf", "/d/D.dbf", "/d/E.dbf"};

// One list on screen with the window's side replaced: a busy flag, a count of pointer
// resets and a screen position the test chooses.
class Harness {
public:
    explicit Harness(const QStringList& rows, QSize size = {360, 200}) {
        for (const QString& row : rows)
            model.append(row);
        view.setBusyCheck([this] { return busy; });
        view.setWindowPointerReset([this] { ++pointerResets; });
        view.setCursorPositionSource([this] { return QPoint(40, screenY); });
        view.resize(size);
        view.show();
    }

    QStringList paths() const {
        QStringList paths;
        for (int row = 0; row < model.count(); ++row)
            paths << model.pathAt(row);
        return paths;
    }
    int selected() const { return view.selectedRow().value_or(-1); }

    QPoint at(int row) const { return view.visualRect(model.index(row)).center(); }
    QPoint belowTheRows() const { return {20, view.viewport()->height() - 3}; }

    void press(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(view.viewport(), button, {}, pos);
        held_ = button;
    }
    void release(QPoint pos) {
        QTest::mouseRelease(view.viewport(), held_, {}, pos);
        held_ = Qt::NoButton;
    }
    // Sent directly, so moves reach the view the same way with or without a button held.
    void move(QPoint pos) {
        QMouseEvent event(QEvent::MouseMove, pos, view.viewport()->mapToGlobal(pos), Qt::NoButton,
                          held_, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &event);
    }
    void doubleClick(QPoint pos) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, pos);
    }

    // Steps such as "p0 m1 m2 r2": p press (P with the right button), m move, r release,
    // d double-click, each on a row or on E, the empty area below the rows; x removes a
    // row from the model, c clears the list and fills it again.
    void run(const QString& script) {
        for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
            const QChar action = step.at(0);
            const QString target = step.mid(1);
            const QPoint pos = target == "E" ? belowTheRows() : at(target.toInt());
            if (action == 'p' || action == 'P')
                press(pos, action == 'p' ? Qt::LeftButton : Qt::RightButton);
            else if (action == 'm')
                move(pos);
            else if (action == 'r')
                release(pos);
            else if (action == 'd')
                doubleClick(pos);
            else if (action == 'x')
                model.removeAt(target.toInt());
            else if (action == 'c')
                refill();
        }
    }

    InputListModel model;
    InputListView view{&model};
    bool busy = false;
    int pointerResets = 0;
    int screenY = 335;

private:
    void refill() {
        const QStringList rows = paths();
        model.clear();
        for (const QString& row : rows)
            model.append(row);
    }

    Qt::MouseButton held_ = Qt::NoButton;
};

QStringList NumberedRows(int count) {
    QStringList rows;
    for (int k = 0; k < count; ++k)
        rows << QString("/d/%1.dbf").arg(k);
    return rows;
}

bool FullyVisible(const Harness& h, int row) {
    return h.view.viewport()->rect().contains(h.view.visualRect(h.model.index(row)));
}

int LastFullyVisibleRow(const Harness& h) {
    int row = h.view.indexAt(QPoint(5, 1)).row();
    while (row + 1 < h.model.count() && FullyVisible(h, row + 1))
        ++row;
    return row;
}

} // namespace

class InputListViewTest : public QObject {
    Q_OBJECT

private slots:
    void gesture_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("selected");
        const QStringList twoEqual{"/d/X.dbf", "/d/X.dbf", "/d/Y.dbf"};
        auto order = [](const char* letters) {
            QStringList rows;
            for (const char* c = letters; *c; ++c)
                rows << QString("/d/%1.dbf").arg(QChar(*c));
            return rows;
        };
        QTest::addRow("three neighbours down one by one")
            << kFive << "p0 m1 m2 m3 r3" << order("BCDAE") << 3;
        QTest::addRow("two neighbours up") << kFive << "p3 m2 m1 r1" << order("ADBCE") << 1;
        QTest::addRow("a fast move skipping rows exchanges the two directly")
            << kFive << "p0 m3 r3" << order("DBCAE") << 3;
        QTest::addRow("there and back again") << kFive << "p1 m2 m1 r1" << kFive << 1;
        QTest::addRow("hovering over the dragged row changes nothing")
            << kFive << "p2 m2 m2 r2" << kFive << 2;
        QTest::addRow("the right button drags too") << kFive << "P0 m1 r1" << order("BACDE") << 1;
        QTest::addRow("moves after the release change nothing")
            << kFive << "p0 m1 r1 m2 m3" << order("BACDE") << 1;
        QTest::addRow("moves without a press change nothing") << kFive << "m0 m1 m2" << kFive << -1;
        QTest::addRow("moves over the empty area exchange nothing")
            << kFive << "p0 mE rE" << kFive << 0;
        QTest::addRow("a later press below the rows carries the last dragged text on")
            << kFive << "p0 m1 r1 pE m2 m3 rE" << order("BCDAE") << 3;
        QTest::addRow("a press below the rows with nothing dragged changes nothing")
            << kFive << "pE m1 m2 rE" << kFive << -1;
        QTest::addRow("equal texts are never exchanged") << twoEqual << "p0 m1 r1" << twoEqual << 0;
        QTest::addRow("past an equal text to a different one")
            << twoEqual << "p0 m1 m2 r2" << QStringList{"/d/Y.dbf", "/d/X.dbf", "/d/X.dbf"} << 2;
        // The selection passes to the next row, as single-selection lists do; the
        // gesture must not pick that row up as the dragged one.
        QTest::addRow("the dragged row removed is forgotten")
            << kFive << "p2 r2 d2 pE m0 m1 rE" << order("ABDE") << 2;
        QTest::addRow("the dragged row is forgotten when the list is cleared")
            << kFive << "p1 r1 c pE m0 m3 rE" << kFive << -1;
        QTest::addRow("removing another row keeps the dragged text")
            << kFive << "p2 r2 x0 pE m2 m3 rE" << order("BDEC") << 3;
    }
    void gesture() {
        QFETCH(QStringList, rows);
        QFETCH(QString, script);
        QFETCH(QStringList, expected);
        QFETCH(int, selected);
        Harness h(rows);
        QAbstractItemModelTester tester(&h.model);
        h.run(script);
        QCOMPARE(h.paths(), expected);
        QCOMPARE(h.selected(), selected);
        QVERIFY(!h.view.isDragArmed());
    }

    void gestureGoesOnWhileBusy() {
        Harness h(kFive);
        h.busy = true;
        h.run("p0 m1 m2 r2");
        QCOMPARE(h.paths().first(), QString("/d/B.dbf"));
        QCOMPARE(h.paths().at(2), QString("/d/A.dbf"));
    }

    void everyMoveResetsTheWindowPointerUnlessBusy() {
        Harness h(kFive);
        QVERIFY(h.view.viewport()->hasMouseTracking());
        h.run("m0 m1 mE p0 m1 r1 m3");
        QCOMPARE(h.pointerResets, 5);
        h.busy = true;
        h.run("m0 p1 m2 r2");
        QCOMPARE(h.pointerResets, 5);
    }

    void scrollsUpOnlyAboveTheThreshold_data() {
        QTest::addColumn<int>("topRow");
        QTest::addColumn<int>("screenY");
        QTest::addColumn<bool>("rowAboveShown");
        QTest::addRow("304 at position 2 shows the first row") << 1 << 304 << true;
        QTest::addRow("305 at position 2 leaves the first row hidden") << 1 << 305 << false;
        QTest::addRow("304 in the middle") << 20 << 304 << true;
        QTest::addRow("305 in the middle") << 20 << 305 << false;
        QTest::addRow("0 in the middle") << 20 << 0 << true;
        QTest::addRow("364 does not scroll up") << 20 << 364 << false;
    }
    void scrollsUpOnlyAboveTheThreshold() {
        QFETCH(int, topRow);
        QFETCH(int, screenY);
        QFETCH(bool, rowAboveShown);
        const QStringList rows = NumberedRows(40);
        Harness h(rows);
        h.view.scrollTo(h.model.index(topRow), QAbstractItemView::PositionAtTop);
        QVERIFY(!FullyVisible(h, topRow - 1));
        h.screenY = screenY;
        h.run(QString("p%1 m%2 r%2").arg(topRow + 1).arg(topRow));
        QCOMPARE(h.model.pathAt(topRow), rows.at(topRow + 1));
        QCOMPARE(FullyVisible(h, topRow - 1), rowAboveShown);
    }

    void scrollsDownFromTheThreshold_data() {
        QTest::addColumn<int>("screenY");
        QTest::addColumn<bool>("rowBelowShown");
        QTest::addRow("365 shows the next row") << 365 << true;
        QTest::addRow("2000 shows the next row") << 2000 << true;
        QTest::addRow("364 leaves it hidden") << 364 << false;
        QTest::addRow("305 leaves it hidden") << 305 << false;
        QTest::addRow("304 leaves it hidden") << 304 << false;
    }
    void scrollsDownFromTheThreshold() {
        QFETCH(int, screenY);
        QFETCH(bool, rowBelowShown);
        const QStringList rows = NumberedRows(40);
        Harness h(rows);
        h.view.scrollTo(h.model.index(10), QAbstractItemView::PositionAtTop);
        const int last = LastFullyVisibleRow(h);
        QVERIFY(last > 11 && last + 1 < h.model.count());
        h.screenY = screenY;
        h.run(QString("p%1 m%2 r%2").arg(last - 1).arg(last));
        QCOMPARE(h.model.pathAt(last), rows.at(last - 1));
        QCOMPARE(FullyVisible(h, last + 1), rowBelowShown);
    }

    void aPartlyShownRowIsNotScrolledToBetweenTheThresholds() {
        const QStringList rows = NumberedRows(40);
        Harness h(rows);
        const int rowHeight = h.view.visualRect(h.model.index(0)).height();
        const int chrome = h.view.height() - h.view.viewport()->height();
        h.view.resize(h.view.width(), chrome + rowHeight * 8 + rowHeight / 2);
        const int last = LastFullyVisibleRow(h);
        const int partly = last + 1;
        QVERIFY(h.view.visualRect(h.model.index(partly)).top() < h.view.viewport()->height());
        h.screenY = 335;
        h.run(QString("p%1 m%2 r%2").arg(last).arg(partly));
        QCOMPARE(h.model.pathAt(partly), rows.at(last));
        QCOMPARE(h.selected(), partly);
        QCOMPARE(h.view.indexAt(QPoint(5, 1)).row(), 0);
    }

    void doubleClick_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("removes the row")
            << kFive << false << "d1"
            << QStringList{"/d/A.dbf", "/d/C.dbf", "/d/D.dbf", "/d/E.dbf"};
        QTest::addRow("refused while busy") << kFive << true << "d1" << kFive;
        QTest::addRow("below the rows with none selected") << kFive << false << "dE" << kFive;
        QTest::addRow("below the rows removes the selected one")
            << kFive << false << "p4 r4 dE" << kFive.mid(0, 4);
        QTest::addRow("empty list") << QStringList{} << false << "dE" << QStringList{};
    }
    void doubleClick() {
        QFETCH(QStringList, rows);
        QFETCH(bool, busy);
        QFETCH(QString, script);
        QFETCH(QStringList, expected);
        Harness h(rows);
        h.busy = busy;
        h.run(script);
        QCOMPARE(h.paths(), expected);
    }

    void toolTipAndColumn() {
        Harness h(kFive);
        QCOMPARE(h.view.toolTip(),
                 QString("Drag and drop files here. Double-click item to remove it. Move | line "
                         "to right and out of window to reveal full names."));
        const QPoint overRow = h.at(1);
        QHelpEvent hover(QEvent::ToolTip, overRow, h.view.viewport()->mapToGlobal(overRow));
        QApplication::sendEvent(h.view.viewport(), &hover);
        QTRY_COMPARE(QToolTip::text(), h.view.toolTip());
        QVERIFY(!h.view.rootIsDecorated());
        QVERIFY(!h.view.isHeaderHidden());
        QVERIFY(h.view.uniformRowHeights());
    }

    void theInstalledDragCursorLoads() {
        const QPixmap image(InputListView::dragCursorFileIn(ProgramFolder()));
        QVERIFY2(!image.isNull(), qPrintable(InputListView::dragCursorFileIn(ProgramFolder())));
        QCOMPARE(image.size(), QSize(32, 32));
        QVERIFY(image.hasAlphaChannel());
    }

    void dragCursorIsReadAtEachRowClick() {
        QTemporaryDir dir;
        const QString file = dir.filePath("drag.ico");
        Harness h(kFive);
        h.view.setDragCursorFile(file);
        h.press(h.at(0));
        QCOMPARE(h.view.viewport()->cursor().shape(), Qt::ArrowCursor);
        h.release(h.at(0));

        QVERIFY(QFile::copy(InputListView::dragCursorFileIn(ProgramFolder()), file));
        h.press(h.at(1));
        QCOMPARE(h.view.viewport()->cursor().shape(), Qt::BitmapCursor);
        h.move(h.at(2));
        QCOMPARE(h.view.viewport()->cursor().shape(), Qt::BitmapCursor);
        h.release(h.at(2));
        QCOMPARE(h.view.viewport()->cursor().shape(), Qt::ArrowCursor);

        QVERIFY(QFile::remove(file));
        QFile garbage(file);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("not an icon at all");
        garbage.close();
        h.run("p3 m4 r4");
        QCOMPARE(h.model.pathAt(4), QString("/d/D.dbf"));
        h.press(h.at(0));
        QCOMPARE(h.view.viewport()->cursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(InputListViewTest)
#include "InputListViewTest.moc"
