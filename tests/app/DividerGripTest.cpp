#include "app/DividerGrip.h"
#include "WindowFixture.h"

#include <QHeaderView>
#include <QtTest>

using namespace tabrivel;
using tabrivel::testing::ListOf;
using tabrivel::testing::WindowFixture;

namespace {

constexpr int kColumnWidth = 480;
constexpr int kDrag = 40;

// The last pixel of the list's one column: the | line its tool tip speaks of.
int DividerOf(const QTreeView& list) {
    const QHeaderView& header = *list.header();
    return header.sectionViewportPosition(0) + header.sectionSize(0) - 1;
}

QPoint OnHeader(const QTreeView& list, int x) {
    return {x, list.header()->height() / 2};
}

// Presses at x, drags kDrag pixels to the right, lets go.
void DragFrom(QTreeView& list, int x) {
    QWidget* area = list.header()->viewport();
    QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, OnHeader(list, x));
    QTest::mouseMove(area, OnHeader(list, x + kDrag / 2));
    QTest::mouseMove(area, OnHeader(list, x + kDrag));
    QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, OnHeader(list, x + kDrag));
}

} // namespace

class DividerGripTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        window_ = fixture_.open();
        window_->inputList().append(QStringLiteral("/data/") + QString(120, QLatin1Char('n')) +
                                    QStringLiteral(".dbf"));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void dragsFromAFewPixelsEitherSide_data();
    void dragsFromAFewPixelsEitherSide();
    void pointerTurnsToTheResizeArrows_data();
    void pointerTurnsToTheResizeArrows();
    void doubleClickBesideTheLineFitsTheNames();

private:
    WindowFixture fixture_;
    std::unique_ptr<MainWindow> window_;
};

void DividerGripTest::dragsFromAFewPixelsEitherSide_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("offset"); // from the line; negative: inside the column
    QTest::addColumn<bool>("takesHold");
    for (const char* list : {"ListView1", "ListView2"}) {
        for (int offset = -kDividerReach; offset <= kDividerReach; ++offset)
            QTest::addRow("%s at %+d", list, offset) << list << offset << true;
        QTest::addRow("%s too far inside", list) << list << -kDividerReach - 1 << false;
        QTest::addRow("%s too far beyond", list) << list << kDividerReach + 1 << false;
        QTest::addRow("%s mid-column", list) << list << -200 << false;
    }
}

void DividerGripTest::dragsFromAFewPixelsEitherSide() {
    QFETCH(QString, list);
    QFETCH(int, offset);
    QFETCH(bool, takesHold);
    QTreeView& view = *ListOf(*window_, qPrintable(list));
    QCOMPARE(view.columnWidth(0), kColumnWidth);
    DragFrom(view, DividerOf(view) + offset);
    QCOMPARE(view.columnWidth(0), takesHold ? kColumnWidth + kDrag : kColumnWidth);
    // After the drag the grip is where the line went, no farther.
    DragFrom(view, DividerOf(view) + offset);
    QCOMPARE(view.columnWidth(0), takesHold ? kColumnWidth + 2 * kDrag : kColumnWidth);
}

void DividerGripTest::pointerTurnsToTheResizeArrows_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<bool>("arrows");
    QTest::addRow("on the line") << 0 << true;
    QTest::addRow("just beyond") << 1 << true;
    QTest::addRow("at reach beyond") << kDividerReach << true;
    QTest::addRow("at reach inside") << -kDividerReach << true;
    QTest::addRow("past reach") << kDividerReach + 1 << false;
    QTest::addRow("inside, past reach") << -kDividerReach - 1 << false;
}

void DividerGripTest::pointerTurnsToTheResizeArrows() {
    QFETCH(int, offset);
    QFETCH(bool, arrows);
    QTreeView& view = *ListOf(*window_, "ListView1");
    QWidget* area = view.header()->viewport();
    QTest::mouseMove(area, OnHeader(view, DividerOf(view) + offset));
    const bool split = view.header()->viewport()->cursor().shape() == Qt::SplitHCursor;
    QCOMPARE(split, arrows);
    // Moving off again gives the pointer back.
    QTest::mouseMove(area, OnHeader(view, DividerOf(view) - 100));
    QVERIFY(view.header()->viewport()->cursor().shape() != Qt::SplitHCursor);
}

// Beyond the line, where Qt's header answers nothing, a double-click fits the column
// to the longest name, as one on the line does.
void DividerGripTest::doubleClickBesideTheLineFitsTheNames() {
    QTreeView& view = *ListOf(*window_, "ListView1");
    const int fitting = static_cast<const QAbstractItemView&>(view).sizeHintForColumn(0);
    QVERIFY(fitting > kColumnWidth);
    QTest::mouseDClick(view.header()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       OnHeader(view, DividerOf(view) + kDividerReach));
    QCOMPARE(view.columnWidth(0), fitting);
}

QTEST_MAIN(DividerGripTest)
#include "DividerGripTest.moc"
