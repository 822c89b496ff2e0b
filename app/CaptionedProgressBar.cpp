#include "app/CaptionedProgressBar.h"

namespace tabrivel {

CaptionedProgressBar::CaptionedProgressBar(QString caption, QWidget* parent)
    : QProgressBar(parent), caption_(std::move(caption)) {
    setTextVisible(true);
    lateRepaint_.setSingleShot(true);
    connect(&lateRepaint_, &QTimer::timeout, this, [this] {
        repaintAsked_ = true;
        update();
    });
}

void CaptionedProgressBar::setCaption(const QString& caption) {
    caption_ = caption;
    showsRow_ = false;
    changed();
}

void CaptionedProgressBar::setRowCaption(qint64 row, const QString& fileName) {
    row_ = row;
    if (!rowFile_.isSharedWith(fileName))
        rowFile_ = fileName;
    showsRow_ = true;
    changed();
}

QString CaptionedProgressBar::text() const {
    if (!showsRow_)
        return caption_;
    return QStringLiteral("Processing row: ") + QString::number(row_) + QStringLiteral(" in: ") +
           rowFile_;
}

// One repaint request per paint is enough: the paint reads whatever is latest.
void CaptionedProgressBar::changed() {
    if (repaintAsked_ || lateRepaint_.isActive())
        return;
    const qint64 since = sincePaint_.isValid() ? sincePaint_.elapsed() : kRepaintIntervalMs;
    if (since < kRepaintIntervalMs) {
        lateRepaint_.start(static_cast<int>(kRepaintIntervalMs - since));
        return;
    }
    repaintAsked_ = true;
    update();
}

void CaptionedProgressBar::paintEvent(QPaintEvent* event) {
    repaintAsked_ = false;
    sincePaint_.restart();
    QProgressBar::paintEvent(event);
}

} // namespace tabrivel
