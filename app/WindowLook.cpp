#include "app/WindowLook.h"

#include "shell/ProgramFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace tabrivel {

namespace {

// Option buttons and check boxes stay see-through so that they sit on their frame's
// own fill, which the style may shade a little; their palette carries the colour.
void PaintBackground(QWidget& widget, const QColor& colour, bool fill) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(widget.backgroundRole(), colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(fill);
}

QFont ArialBold(qreal points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

} // namespace

QColor ButtonFace() {
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

void PaintSurfaces(QWidget& window, const QColor& colour) {
    PaintBackground(window, colour, true);
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (qobject_cast<QGroupBox*>(child))
            PaintBackground(*child, colour, true);
        else if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child))
            PaintBackground(*child, colour, false);
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
