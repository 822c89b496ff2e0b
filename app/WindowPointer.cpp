#include "app/WindowPointer.h"

#include "shell/EventBoundary.h"

#include <QEvent>
#include <QGuiApplication>

namespace tabrivel {

WindowPointer::~WindowPointer() {
    showBusyEverywhere(false);
}

void WindowPointer::setBusy(bool busy) {
    window_.setCursor(busy ? Qt::WaitCursor : Qt::ArrowCursor);
    showBusyEverywhere(busy);
}

// Setting busy twice and clearing it once ends the busy stretch, as the flag it is, so
// the application's pointer is taken at most once.
void WindowPointer::showBusyEverywhere(bool busy) {
    if (busy == busyEverywhere_)
        return;
    busyEverywhere_ = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

bool WindowPointer::isBusy() const {
    return window_.cursor().shape() == Qt::WaitCursor;
}

void WindowPointer::showHand() {
    if (!isBusy())
        window_.setCursor(hand_);
}

void WindowPointer::showArrow() {
    if (!isBusy())
        window_.setCursor(Qt::ArrowCursor);
}

void PointerFeedback::watch(QWidget* control, Over kind) {
    keepMovesToItself(control);
    control->setMouseTracking(true);
    control->installEventFilter(this);
    watched_.insert(control, kind);
}

void PointerFeedback::keepMovesToItself(QWidget* control) {
    control->setAttribute(Qt::WA_NoMousePropagation);
}

bool PointerFeedback::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        const auto found = watched_.constFind(watched);
        if (found != watched_.constEnd()) {
            const Over kind = found.value();
            AtEventBoundary("MouseMove", [&] {
                if (kind == Over::Hand)
                    pointer_.showHand();
                else
                    pointer_.showArrow();
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tabrivel
