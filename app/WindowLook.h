#pragma once

#include <QColor>
#include <QHash>
#include <QPalette>
#include <QString>

class QWidget;

namespace tabrivel {

// The window's own palette: its surfaces in `surface`, with the light text, button,
// indicator and selection colours that belong with them, every role of every group set.
QPalette WindowPalette(const QColor& surface);

// The button-face colour of that palette, which a skinned window wears instead of white.
QColor ButtonFace();

// Gives the window its palette with surfaces of this colour; the frames fill theirs,
// option buttons and check boxes stay see-through on them.
void PaintSurfaces(QWidget& window, const QColor& colour);

// Arial 9 pt bold everywhere, 11.25 pt bold on push buttons.
void ApplyFonts(const QHash<QString, QWidget*>& controls);

// When the skin file "x/o.cjs" lies beside the program, the window takes the button-face
// colour. There is no skin engine here: the file's contents are not read.
void ApplySkin(QWidget& window, const QString& programFolder);

} // namespace tabrivel
