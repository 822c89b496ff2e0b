#pragma once

#include <QHash>
#include <QRect>
#include <QString>

#include <span>

class QWidget;

namespace tabrivel {

enum class ControlKind {
    ListView,
    PushButton,
    Frame,
    TextBox,
    OptionButton,
    CheckBox,
    ProgressBar
};

// One control of the window as laid out in the original designer, in twips.
struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* caption;
    const char* container; // nullptr: the window itself
    int left, top, width, height;
    int tabIndex;
};

std::span<const ControlSpec> WindowControls();

// 15 twips to a logical pixel.
QRect TwipsToPixels(int left, int top, int width, int height);

// Creates every control of the table inside the window, named, captioned, placed and
// in tab order; answers them by name.
QHash<QString, QWidget*> BuildControls(QWidget& window);

} // namespace tabrivel
