#include "WindowFixture.h"
#include "app/ControlTable.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTreeView>
#include <QtTest>

using namespace tabrivel;
using tabrivel::testing::ListOf;
using tabrivel::testing::WindowFixture;

namespace {

struct Expected {
    const char* name;
    const char* className;
    const char* caption;
    const char* container;
    QRect pixels; // the designer's twips divided by 15, rounded
    int tab;
};

// The layout as a user measures it on screen, written out independently of the code.
const Expected kLayout[] = {
    {"ListView1", "tabrivel::InputListView", "", "Form1", {8, 8, 520, 107}, 0},
    {"PushButton1", "QPushButton", "Add DBF Files", "Form1", {8, 121, 256, 27}, 5},
    {"PushButton5", "QPushButton", "Add All DBF Files In Folder", "Form1", {272, 121, 256, 27}, 6},
    {"PushButton7", "QPushButton", "Clear List", "Form1", {8, 155, 256, 27}, 7},
    {"PushButton3", "QPushButton", "Load Sample/Example Files", "Form1", {272, 155, 256, 27}, 17},
    {"Frame4", "QGroupBox", "Table Name", "Form1", {8, 186, 520, 56}, 13},
    {"Text1", "QLineEdit", "Table1", "Frame4", {16, 20, 487, 23}, 14},
    {"Frame5", "QGroupBox", "Table and Field Delimiting Character", "Form1", {8, 245, 520, 59}, 15},
    {"Text2", "QLineEdit", "'", "Frame5", {16, 24, 487, 22}, 16},
    {"Frame3", "QGroupBox", "Options", "Form1", {8, 308, 520, 93}, 1},
    {"Option7",
     "QRadioButton",
     "Use Create Table command with first row followed by Insert command",
     "Frame3",
     {16, 20, 421, 17},
     3},
    {"Option6", "QRadioButton", "Use Insert command on all rows", "Frame3", {16, 43, 419, 17}, 2},
    {"Check3", "QCheckBox", "Include ; at the end of each line", "Frame3", {16, 67, 273, 17}, 12},
    {"PushButton2", "QPushButton", "Start Converting", "Form1", {536, 8, 520, 27}, 8},
    {"ListView2", "tabrivel::ResultsListView", "", "Form1", {536, 42, 520, 130}, 4},
    {"Frame1", "QGroupBox", "Save Option", "Form1", {536, 176, 520, 121}, 20},
    {"Option1", "QRadioButton", "Save results to this folder:", "Frame1", {16, 20, 241, 17}, 24},
    {"Frame2", "QGroupBox", "", "Frame1", {32, 34, 456, 54}, 21},
    {"Text3", "QLineEdit", nullptr, "Frame2", {16, 20, 378, 23}, 22},
    {"PushButton16", "QPushButton", "...", "Frame2", {400, 20, 40, 23}, 23},
    {"Option2",
     "QRadioButton",
     "Save results in folder of original file",
     "Frame1",
     {16, 94, 241, 17},
     25},
    {"PushButton8", "QPushButton", "Save Results As Text File", "Form1", {536, 305, 256, 27}, 9},
    {"PushButton9", "QPushButton", "Clear Results", "Form1", {800, 305, 256, 27}, 10},
    {"PushButton4", "QPushButton", "Copy Results To Clipboard", "Form1", {536, 339, 256, 27}, 11},
    {"PushButton10", "QPushButton", "Help", "Form1", {800, 339, 256, 27}, 18},
    {"ProgressBar1", "QProgressBar", "Progress Bar", "Form1", {536, 374, 520, 27}, 19},
};

QString CaptionOf(QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(control))
        return frame->title();
    if (auto* box = qobject_cast<QLineEdit*>(control))
        return box->text();
    if (auto* bar = qobject_cast<QProgressBar*>(control))
        return bar->text();
    return QString();
}

// The width the style leaves for a control's caption.
int RoomForCaption(QWidget* control) {
    QStyleOptionButton option;
    option.initFrom(control);
    if (qobject_cast<QRadioButton*>(control))
        return control->style()
            ->subElementRect(QStyle::SE_RadioButtonContents, &option, control)
            .width();
    if (qobject_cast<QCheckBox*>(control))
        return control->style()
            ->subElementRect(QStyle::SE_CheckBoxContents, &option, control)
            .width();
    if (qobject_cast<QPushButton*>(control)) // the style's margin on either side
        return control->width() -
               2 * control->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, control);
    if (qobject_cast<QGroupBox*>(control))
        return control->width() - 16;
    return control->width();
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyControl_data();
    void everyControl();
    void tabOrderFollowsTheTable();
    void windowIsFixedWhiteAndCannotBeMaximised();
    void listsShowOneHeadedColumn();
    void onlyTheListsHaveToolTips();
    void nothingIsClipped();
    void onlyButtonsRunCommandsEachUnderItsLocation();

private:
    WindowFixture fixture_;
    std::unique_ptr<MainWindow> window_;
};

void LayoutTest::initTestCase() {
    window_ = fixture_.open();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void LayoutTest::everyControl_data() {
    QTest::addColumn<int>("row");
    for (int row = 0; row < int(std::size(kLayout)); ++row)
        QTest::addRow("%s", kLayout[row].name) << row;
}

void LayoutTest::everyControl() {
    QFETCH(int, row);
    const Expected& expected = kLayout[row];
    QWidget* control = window_->control(expected.name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->objectName(), QString(expected.name));
    QCOMPARE(control->metaObject()->className(), expected.className);
    QCOMPARE(control->parentWidget()->objectName(), QString(expected.container));
    QCOMPARE(control->geometry(), expected.pixels);
    if (expected.caption != nullptr)
        QCOMPARE(CaptionOf(control), QString(expected.caption));
    const QFont font = control->font();
    QCOMPARE(font.family(), QString("Arial"));
    QVERIFY(font.bold());
    const bool button = qobject_cast<QPushButton*>(control) != nullptr;
    QCOMPARE(font.pointSizeF(), button ? 11.25 : 9.0);
    QVERIFY(control->isVisible());
}

void LayoutTest::tabOrderFollowsTheTable() {
    QStringList expected;
    std::vector<const Expected*> byTab;
    for (const auto& row : kLayout)
        byTab.push_back(&row);
    std::sort(byTab.begin(), byTab.end(), [](auto* a, auto* b) { return a->tab < b->tab; });
    for (const auto* row : byTab)
        expected << row->name;
    // Walk the focus chain once round, keeping the table's controls in the order met.
    QStringList met;
    QWidget* first = window_->control(byTab.front()->name);
    QWidget* step = first;
    do {
        if (expected.contains(step->objectName()) && !met.contains(step->objectName()))
            met << step->objectName();
        step = step->nextInFocusChain();
    } while (step != first);
    QCOMPARE(met, expected);
}

void LayoutTest::windowIsFixedWhiteAndCannotBeMaximised() {
    QCOMPARE(window_->objectName(), QString("Form1"));
    QCOMPARE(window_->size(), QSize(1064, 408));
    QCOMPARE(window_->minimumSize(), QSize(1064, 408));
    QCOMPARE(window_->maximumSize(), QSize(1064, 408));
    QVERIFY(!(window_->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window_->windowFlags() & Qt::WindowMinimizeButtonHint);
    window_->CentreOnScreen();
    QCOMPARE(window_->frameGeometry().center(), window_->screen()->availableGeometry().center());
    QCOMPARE(window_->palette().color(window_->backgroundRole()), QColor(Qt::white));
    for (const char* surface : {"Frame1", "Frame2", "Frame3", "Option1", "Option6", "Check3"}) {
        QWidget* control = window_->control(surface);
        QCOMPARE(control->palette().color(control->backgroundRole()), QColor(Qt::white));
    }
}

void LayoutTest::listsShowOneHeadedColumn() {
    const std::pair<QTreeView*, QString> lists[] = {{ListOf(*window_, "ListView1"), "DBF File(s)"},
                                                    {ListOf(*window_, "ListView2"), "Result(s)"}};
    for (const auto& [list, header] : lists) {
        QCOMPARE(list->model()->columnCount(), 1);
        QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), header);
        QVERIFY(!list->isHeaderHidden());
        QCOMPARE(list->columnWidth(0), 480);
    }
}

void LayoutTest::onlyTheListsHaveToolTips() {
    for (const auto& row : kLayout) {
        const QString tip = window_->control(row.name)->toolTip();
        if (QString(row.name) == "ListView1")
            QCOMPARE(tip, QString("Drag and drop files here. Double-click item to remove it. "
                                  "Move | line to right and out of window to reveal full names."));
        else if (QString(row.name) == "ListView2")
            QCOMPARE(tip, QString("Move | line to right and out of window to reveal full names."));
        else
            QVERIFY2(tip.isEmpty(), row.name);
    }
}

void LayoutTest::nothingIsClipped() {
    // Each caption, in the font the control shows it in, fits the room the style gives it.
    for (const auto& row : kLayout) {
        QWidget* control = window_->control(row.name);
        const int need = control->fontMetrics().horizontalAdvance(CaptionOf(control));
        const int room = RoomForCaption(control);
        QVERIFY2(
            need <= room,
            qPrintable(QString("%1 needs %2 pixels, has %3").arg(row.name).arg(need).arg(room)));
    }
}

// The location each button's failures are reported under, as support knows them: the
// "..." button has always reported as PushButton6.
void LayoutTest::onlyButtonsRunCommandsEachUnderItsLocation() {
    const QHash<QString, QString> expected{
        {"PushButton1", "in Tabrivel2021/08/31.Form1.PushButton1_Click "},
        {"PushButton2", "in Tabrivel2021/08/31.Form1.PushButton2_Click "},
        {"PushButton3", "in Tabrivel2021/08/31.Form1.PushButton3_Click "},
        {"PushButton4", "in Tabrivel2021/08/31.Form1.PushButton4_Click "},
        {"PushButton5", "in Tabrivel2021/08/31.Form1.PushButton5_Click "},
        {"PushButton7", "in Tabrivel2021/08/31.Form1.PushButton7_Click "},
        {"PushButton8", "in Tabrivel2021/08/31.Form1.PushButton8_Click "},
        {"PushButton9", "in Tabrivel2021/08/31.Form1.PushButton9_Click "},
        {"PushButton10", "in Tabrivel2021/08/31.Form1.PushButton10_Click "},
        {"PushButton16", "in Tabrivel2021/08/31.Form1.PushButton6_Click "},
    };
    QStringList commands;
    for (const ControlSpec& row : WindowControls()) {
        const QString name = QString::fromLatin1(row.name);
        const bool button = row.kind == ControlKind::PushButton;
        QCOMPARE(row.handler != nullptr, button);
        QCOMPARE(row.location != nullptr, button);
        QCOMPARE(row.pointer == PointerOver::Hand, button);
        if (button) {
            QCOMPARE(QString::fromLatin1(row.location), expected.value(name));
            commands << name;
        }
    }
    QCOMPARE(commands.size(), expected.size());
}

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
