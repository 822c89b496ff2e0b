#include "app/WindowLook.h"

#include "shell/ProgramFiles.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace tabrivel {

namespace {

// The light colours of Qt's own Fusion palette, which the window's layout and pictures
// were made with; the selection a shade darker than Fusion's, so that its white text
// reads as well as the black text elsewhere.
const QColor kFace(239, 239, 239);
const QColor kHighlight(24, 96, 160);
const QColor kDisabledText(190, 190, 190);
const QColor kDisabledHighlight(145, 145, 145);

QFont ArialBold(qreal points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

void SetDisabledColours(QPalette& palette) {
    for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, kDisabledText);
    palette.setColor(QPalette::Disabled, QPalette::Base, kFace);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, kDisabledHighlight);
}

} // namespace

// The window paints its surfaces white by design, so it cannot take its other colours
// from the desktop's theme: a dark theme's white captions and dark indicators were made
// for dark surfaces and vanish on ours. Following the theme everywhere instead would
// give up the look the window is laid out and documented in. So the window carries one
// complete light palette of its own, set once on the window and inherited by every
// control; no role is left for the theme to fill in. Message boxes and file dialogs are
// windows of their own and still follow the desktop.
QPalette WindowPalette(const QColor& surface) {
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    const QColor mid = kFace.darker(130);
    const QColor dark = kFace.darker(150);
    // Sets every role of every group; the ones that follow differ from its choices.
    QPalette palette(black, kFace, kFace.lighter(150), dark, mid, black, white);
    palette.setColor(QPalette::Window, surface);
    palette.setColor(QPalette::Midlight, mid.lighter(110));
    palette.setColor(QPalette::Shadow, dark.darker(135));
    palette.setColor(QPalette::Highlight, kHighlight);
    palette.setColor(QPalette::HighlightedText, white);
    palette.setColor(QPalette::AlternateBase, kFace.lighter(103));
    palette.setColor(QPalette::Link, QColor(Qt::blue));
    palette.setColor(QPalette::LinkVisited, QColor(Qt::magenta));
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 220));
    palette.setColor(QPalette::ToolTipText, black);
    QColor placeholder = black;
    placeholder.setAlpha(128);
    palette.setColor(QPalette::PlaceholderText, placeholder);
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    palette.setColor(QPalette::Accent, kHighlight);
#endif
    SetDisabledColours(palette);
    return palette;
}

QColor ButtonFace() {
    return WindowPalette(Qt::white).color(QPalette::Active, QPalette::Button);
}

void PaintSurfaces(QWidget& window, const QColor& colour) {
    window.setPalette(WindowPalette(colour));
    window.setAutoFillBackground(true);
    for (QGroupBox* frame : window.findChildren<QGroupBox*>())
        frame->setAutoFillBackground(true);
    // Option buttons and check boxes stay see-through so that they sit on their frame's
    // own fill, which the style may shade a little; what lies behind them is the surface.
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button))
            button->setBackgroundRole(QPalette::Window);
    }
}

void ApplyFonts(const QHash<QString, QWidget*>& controls) {
    const QFont text = ArialBold(9);
    const QFont button = ArialBold(11.25);
    for (QWidget* control : controls)
        control->setFont(qobject_cast<QPushButton*>(control) ? button : text);
}

void ApplySkin(QWidget& window, const QString& programFolder) {
    if (!QFileInfo(BesideProgram(programFolder, QStringLiteral("x/o.cjs"))).isFile())
        return;
    PaintSurfaces(window, ButtonFace());
}

} // namespace tabrivel
