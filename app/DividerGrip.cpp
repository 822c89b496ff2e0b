#include "app/DividerGrip.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QMouseEvent>

#include <cstdlib>
#include <optional>

namespace tabrivel {

namespace {

// Hands the header its mouse events moved onto the divider's last pixel inside the
// column, where the header itself takes hold of it. A drag keeps the shift it began
// with, so the column's new width follows the pointer exactly.
class DividerGripFilter final : public QObject {
public:
    explicit DividerGripFilter(QHeaderView& header) : QObject(&header), header_(header) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<int> shiftAt(int x) const;
    int shiftFor(const QMouseEvent& mouse);

    QHeaderView& header_;
    int dragShift_ = 0;
    bool forwarding_ = false;
};

bool IsMouseEvent(QEvent::Type type) {
    return type == QEvent::MouseMove || type == QEvent::MouseButtonPress ||
           type == QEvent::MouseButtonDblClick || type == QEvent::MouseButtonRelease;
}

// The shift from x to the nearest resizable divider within reach.
std::optional<int> DividerGripFilter::shiftAt(int x) const {
    std::optional<int> nearest;
    for (int visual = 0; visual < header_.count(); ++visual) {
        const int logical = header_.logicalIndex(visual);
        if (header_.isSectionHidden(logical) ||
            header_.sectionResizeMode(logical) != QHeaderView::Interactive)
            continue;
        const int line =
            header_.sectionViewportPosition(logical) + header_.sectionSize(logical) - 1;
        const int shift = line - x;
        if (std::abs(shift) <= kDividerReach && (!nearest || std::abs(shift) < std::abs(*nearest)))
            nearest = shift;
    }
    return nearest;
}

int DividerGripFilter::shiftFor(const QMouseEvent& mouse) {
    const int x = qFloor(mouse.position().x());
    switch (mouse.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        dragShift_ = shiftAt(x).value_or(0);
        return dragShift_;
    case QEvent::MouseButtonRelease: {
        const int shift = dragShift_;
        if (mouse.buttons() == Qt::NoButton)
            dragShift_ = 0;
        return shift;
    }
    default:
        if (mouse.buttons() != Qt::NoButton)
            return dragShift_;
        return shiftAt(x).value_or(0);
    }
}

bool DividerGripFilter::eventFilter(QObject* watched, QEvent* event) {
    if (forwarding_ || !IsMouseEvent(event->type()))
        return QObject::eventFilter(watched, event);
    const auto& mouse = static_cast<const QMouseEvent&>(*event);
    const int shift = shiftFor(mouse);
    if (shift == 0)
        return QObject::eventFilter(watched, event);
    const QPointF by(shift, 0);
    QMouseEvent moved(mouse.type(), mouse.position() + by, mouse.scenePosition() + by,
                      mouse.globalPosition() + by, mouse.button(), mouse.buttons(),
                      mouse.modifiers(), mouse.pointingDevice());
    forwarding_ = true;
    QCoreApplication::sendEvent(watched, &moved);
    forwarding_ = false;
    event->setAccepted(moved.isAccepted());
    return true;
}

} // namespace

void WidenDividerGrip(QHeaderView& header) {
    if (header.orientation() != Qt::Horizontal || header.isRightToLeft())
        return;
    header.viewport()->installEventFilter(new DividerGripFilter(header));
}

} // namespace tabrivel
