#pragma once

#include <QCheckBox>
#include <QRadioButton>

namespace tabrivel {

// Qt takes a click on an option button or a check box only over its mark and caption;
// the user expects the whole rectangle the control was given to answer, as it did in
// the window's designer, so a click beside the caption never silently does nothing.
class WholeRectRadioButton final : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

class WholeRectCheckBox final : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

} // namespace tabrivel
