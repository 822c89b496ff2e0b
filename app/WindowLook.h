#pragma once

#include <QColor>
#include <QHash>
#include <QString>

class QWidget;

namespace tabrivel {

// The system's button-face colour, which a skinned window wears instead of white.
QColor ButtonFace();

// The window and its plain surfaces (frames, option buttons, check boxes) in one colour.
void PaintSurfaces(QWidget& window, const QColor& colour);

// Arial 9 pt bold everywhere, 11.25 pt bold on push buttons.
void ApplyFonts(const QHash<QString, QWidget*>& controls);

// When the skin file "x/o.cjs" lies beside the program, the window takes the button-face
// colour. There is no skin engine here: the file's contents are not read.
void ApplySkin(QWidget& window, const QString& programFolder);

} // namespace tabrivel
