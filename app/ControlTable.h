#pragma once

#include <QHash>
#include <QRect>
#include <QString>

#include <span>
#include <string_view>

class QWidget;

namespace tabrivel {

class CaptionedProgressBar;
class InputListView;
class MainWindow;
class ResultsListView;

enum class ControlKind {
    ListView,
    PushButton,
    Frame,
    TextBox,
    OptionButton,
    CheckBox,
    ProgressBar
};

// What the pointer becomes over a control (never while the window is busy).
enum class PointerOver { Unchanged, Hand, Arrow };

// A push button's command: the handler the click runs.
using CommandHandler = void (MainWindow::*)();

// One control of the window as laid out in the original designer, in twips, with what it
// does: a push button names its handler and the location its failures are reported
// under. A new button is one row here, one command and one test.
struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* caption;
    const char* container; // nullptr: the window itself
    int left, top, width, height;
    int tabIndex;
    PointerOver pointer = PointerOver::Unchanged;
    const char* location = nullptr;
    CommandHandler handler = nullptr;
};

std::span<const ControlSpec> WindowControls();

// The location a push button's failures are reported under, from its row.
QString CommandLocation(std::string_view control);

// 15 twips to a logical pixel.
QRect TwipsToPixels(int left, int top, int width, int height);

// Every control of the table, by name, and the ones the window talks to by their type.
struct WindowControlSet {
    QHash<QString, QWidget*> byName;
    InputListView* inputView = nullptr;
    ResultsListView* resultsView = nullptr;
    CaptionedProgressBar* progressBar = nullptr;
};

// Creates every control of the table inside the window, named, captioned, placed and
// in tab order.
WindowControlSet BuildControls(QWidget& window);

} // namespace tabrivel
