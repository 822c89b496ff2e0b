#include "app/WindowLook.h"
#include "WindowFixture.h"
#include "inputs/InputListModel.h"
#include "inputs/InputListView.h"
#include "results/ResultsListModel.h"
#include "results/ResultsListView.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace tabrivel;
using tabrivel::testing::ListOf;
using tabrivel::testing::WindowFixture;

namespace {

// WCAG's least contrast for text, and its relative luminance and contrast ratio.
constexpr double kReadable = 4.5;

double Luminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colours of qt6ct's "darker" scheme, a common dark desktop, role by role in
// QPalette's order; disabled text is grey.
QPalette DarkDesktop() {
    const QStringList colours =
        QStringLiteral("#ffffff #424245 #979797 #5e5c5b #302f2e #4a4947 #ffffff "
                       "#ffffff #ffffff #3d3d3d #222020 #e7e4e0 #12608a #f9f9f9 "
                       "#0986d3 #a70b06 #5c5b5a #ffffff #3f3f36 #ffffff #ffffff")
            .split(QLatin1Char(' '));
    QPalette dark;
    for (int role = 0; role < colours.size(); ++role)
        dark.setColor(QPalette::ColorRole(role), QColor(colours[role]));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return dark;
}

// The colour most of the area is painted in: what the caption sits on.
QColor Surface(const QImage& image) {
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb most = 0;
    int mostCount = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > mostCount) {
            most = it.key();
            mostCount = it.value();
        }
    }
    return QColor::fromRgb(most);
}

// How well the best-drawn pixel of the area stands out from the area's surface: the
// full-strength strokes of its caption.
double CaptionContrast(QWidget& control, const QRect& area) {
    const QImage image = control.grab(area).toImage();
    const QColor surface = Surface(image);
    double best = 1.0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            best = std::max(best, Contrast(QColor::fromRgb(image.pixel(x, y)), surface));
    return best;
}

QRect CaptionArea(QWidget& control) {
    QStyle* style = control.style();
    if (auto* frame = qobject_cast<QGroupBox*>(&control)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.textAlignment = frame->alignment();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        return style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
    }
    QStyleOptionButton option;
    option.initFrom(&control);
    if (qobject_cast<QRadioButton*>(&control))
        return style->subElementRect(QStyle::SE_RadioButtonContents, &option, &control);
    if (qobject_cast<QCheckBox*>(&control))
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, &control);
    return control.rect().adjusted(3, 3, -3, -3); // inside a button's or bar's border
}

QRect IndicatorArea(QWidget& control) {
    QStyleOptionButton option;
    option.initFrom(&control);
    const auto element = qobject_cast<QRadioButton*>(&control) ? QStyle::SE_RadioButtonIndicator
                                                               : QStyle::SE_CheckBoxIndicator;
    return control.style()->subElementRect(element, &option, &control);
}

// The roles each kind of control paints its text or mark on, as pairs.
const QList<std::pair<QPalette::ColorRole, QPalette::ColorRole>> kPaintedPairs = {
    {QPalette::WindowText, QPalette::Window},
    {QPalette::Text, QPalette::Base},
    {QPalette::ButtonText, QPalette::Button},
    {QPalette::HighlightedText, QPalette::Highlight},
};

const char* const kCaptioned[] = {"Frame1",      "Frame3",       "Frame4",       "Frame5",
                                  "Option1",     "Option2",      "Option6",      "Option7",
                                  "Check3",      "PushButton1",  "PushButton2",  "PushButton3",
                                  "PushButton4", "PushButton5",  "PushButton7",  "PushButton8",
                                  "PushButton9", "PushButton10", "PushButton16", "ProgressBar1"};

} // namespace

class WindowLookTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QApplication::setPalette(QPalette()); }

    void everyRoleIsTheWindowsOwn();
    void theDesktopsPaletteChangesNothing();
    void captionsStandOutUnderADarkDesktop();
    void listsStandOutUnderADarkDesktop();
    void marksAreLightDiscsWithDarkDots();
    void skinKeepsTheCaptionsReadable();
};

// No colour is left for a desktop's theme to fill in, in any state of a control.
void WindowLookTest::everyRoleIsTheWindowsOwn() {
    WindowFixture fixture;
    const auto window = fixture.open();
    const QPalette palette = window->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            if (role == QPalette::NoRole)
                continue;
            QVERIFY2(palette.isBrushSet(group, QPalette::ColorRole(role)),
                     qPrintable(QString("group %1, role %2").arg(group).arg(role)));
        }
    }
    // Disabled captions are greyed out on purpose; every other state reads.
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        for (const auto& [text, surface] : kPaintedPairs)
            QVERIFY2(
                Contrast(palette.color(group, text), palette.color(group, surface)) >= kReadable,
                qPrintable(QString("group %1, roles %2 on %3").arg(group).arg(text).arg(surface)));
    }
}

// The window looks the same, pixel for pixel, under a dark desktop as under the light
// one, whether the desktop was dark before it opened or turned dark while it is open.
void WindowLookTest::theDesktopsPaletteChangesNothing() {
    WindowFixture light;
    const QImage underLight = light.open()->grab().toImage();

    QApplication::setPalette(DarkDesktop());
    WindowFixture dark;
    QCOMPARE(dark.open()->grab().toImage(), underLight);

    QApplication::setPalette(QPalette());
    WindowFixture turning;
    const auto window = turning.open();
    QApplication::setPalette(DarkDesktop());
    QCOMPARE(window->grab().toImage(), underLight);
}

void WindowLookTest::captionsStandOutUnderADarkDesktop() {
    QApplication::setPalette(DarkDesktop());
    WindowFixture fixture;
    const auto window = fixture.open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    for (const char* name : kCaptioned) {
        QWidget& control = *window->control(name);
        const double contrast = CaptionContrast(control, CaptionArea(control));
        QVERIFY2(contrast >= kReadable, qPrintable(QString("%1: %2").arg(name).arg(contrast)));
    }
}

// The headers, a row and a selected row of both lists.
void WindowLookTest::listsStandOutUnderADarkDesktop() {
    QApplication::setPalette(DarkDesktop());
    WindowFixture fixture;
    const auto window = fixture.open();
    window->inputList().append(QStringLiteral("/data/customers.dbf"));
    window->inputList().append(QStringLiteral("/data/orders.dbf"));
    window->results().append("INSERT INTO 'T' VALUES ('1');");
    window->results().append("INSERT INTO 'T' VALUES ('2');");
    window->results().flushPendingRows();
    window->inputView()->selectRow(1);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    for (const char* name : {"ListView1", "ListView2"}) {
        QTreeView& list = *ListOf(*window, name);
        QHeaderView& header = *list.header();
        const QRect section(header.sectionViewportPosition(0), 0, header.sectionSize(0),
                            header.height());
        const double headed = CaptionContrast(header, section.adjusted(2, 1, -2, -1));
        QVERIFY2(headed >= kReadable, qPrintable(QString("%1 header: %2").arg(name).arg(headed)));
        for (int row : {0, 1}) {
            const QRect rowArea = list.visualRect(list.model()->index(row, 0));
            const double shown = CaptionContrast(*list.viewport(), rowArea);
            QVERIFY2(shown >= kReadable,
                     qPrintable(QString("%1 row %2: %3").arg(name).arg(row).arg(shown)));
        }
    }
}

// An option button's mark is a light disc on the light frame, as the text boxes and
// lists are light; a set one carries a dot that stands out, as the check box's tick does.
void WindowLookTest::marksAreLightDiscsWithDarkDots() {
    QApplication::setPalette(DarkDesktop());
    WindowFixture fixture;
    const auto window = fixture.open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QColor surface = window->palette().color(QPalette::Window);
    for (const char* name : {"Option1", "Option2", "Option6", "Option7", "Check3"}) {
        auto& control = *qobject_cast<QAbstractButton*>(window->control(name));
        const QRect mark = IndicatorArea(control);
        const QImage image = control.grab(mark).toImage();
        const QColor centre = QColor::fromRgb(image.pixel(image.rect().center()));
        if (!control.isChecked())
            QVERIFY2(Contrast(centre, surface) < 1.2, name);
        else if (qobject_cast<QRadioButton*>(&control))
            QVERIFY2(Contrast(centre, surface) >= kReadable, name);
        else // the tick, inside the box's border
            QVERIFY2(CaptionContrast(control, mark.adjusted(3, 3, -3, -3)) >= kReadable, name);
    }
}

// A skinned window wears the button face; its captions stay as readable on it.
void WindowLookTest::skinKeepsTheCaptionsReadable() {
    QApplication::setPalette(DarkDesktop());
    WindowFixture fixture;
    QVERIFY(fixture.putBesideProgram("x/o.cjs", "skin"));
    const auto window = fixture.open();
    QCOMPARE(window->palette().color(QPalette::Window), ButtonFace());
    QVERIFY(Luminance(ButtonFace()) > 0.7);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    for (const char* name : {"Frame3", "Option7", "Check3"}) {
        QWidget& control = *window->control(name);
        const double contrast = CaptionContrast(control, CaptionArea(control));
        QVERIFY2(contrast >= kReadable, qPrintable(QString("%1: %2").arg(name).arg(contrast)));
    }
}

QTEST_MAIN(WindowLookTest)
#include "WindowLookTest.moc"
