#pragma once

#include <QString>

class QFontMetrics;
class QScreen;

namespace tabrivel {

// Breaks each line of a box's text at blanks only, so that no line is wider than
// maxWidth where a blank allows it. The box's own wrapping would also break after the
// "/" and "." of an address, leaving half an address on each line; text that arrives
// already narrow enough is never wrapped by it. A word wider than maxWidth stays whole
// on a line of its own.
QString WrapBetweenWords(const QString& text, const QFontMetrics& metrics, int maxWidth);

// The widest a line of a message box may be before the box starts wrapping it itself,
// on this screen (the box allows half the screen, at most 500 pixels, icon and margins
// included).
int MessageLineWidth(const QScreen* screen);

} // namespace tabrivel
