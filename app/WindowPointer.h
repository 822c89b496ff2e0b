#pragma once

#include <QCursor>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tabrivel {

// The window's one pointer: arrow, hand or busy. The busy pointer doubles as the flag
// that a long command is running, so it is set and cleared only here. While busy, it
// shows over every control too, not only over the window's own background: each list
// and text box has a pointer of its own that would otherwise win.
class WindowPointer {
public:
    explicit WindowPointer(QWidget& window) : window_(window) {}
    // A window closed in the middle of a long command leaves no busy pointer behind.
    ~WindowPointer();
    WindowPointer(const WindowPointer&) = delete;
    WindowPointer& operator=(const WindowPointer&) = delete;

    void setBusy(bool busy);
    bool isBusy() const;

    // Until a hand picture is loaded the hand looks like the arrow.
    void setHandCursor(const QCursor& hand) { hand_ = hand; }
    const QCursor& handCursor() const { return hand_; }

    void showHand();
    void showArrow();

private:
    void showBusyEverywhere(bool busy);

    QWidget& window_;
    QCursor hand_{Qt::ArrowCursor};
    bool busyEverywhere_ = false;
};

// Sets the window's pointer as the mouse moves over the watched controls; never while
// the window is busy, so a long command keeps its busy pointer wherever the mouse goes.
class PointerFeedback final : public QObject {
public:
    enum class Over { Hand, Arrow };

    PointerFeedback(WindowPointer& pointer, QObject* parent) : QObject(parent), pointer_(pointer) {}

    // Watches the control (and turns on the mouse tracking it needs).
    void watch(QWidget* control, Over kind);

    // A move over a control is that control's alone: one that a control ignores (a push
    // button does) must not reach the frame or window beneath and reset the pointer
    // there. Controls without a pointer of their own leave it as it is.
    static void keepMovesToItself(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowPointer& pointer_;
    QHash<QObject*, Over> watched_;
};

} // namespace tabrivel
