#include "app/BoxTitleRoom.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace tabrivel {

namespace {

// A title bar is about two lines of its text high; its icon and buttons are about
// that square, and the title keeps a margin of half of one on either side.
constexpr int kBarSquares = 4;
constexpr int kLinesPerSquare = 2;

} // namespace

int TitleBarWidth(const QString& title, const QFont& font) {
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int square = kLinesPerSquare * metrics.height();
    return metrics.horizontalAdvance(title) + kBarSquares * square + square;
}

void MakeRoomForTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    const QMargins margins = grid->contentsMargins();
    const int width =
        TitleBarWidth(box.windowTitle(), box.font()) - margins.left() - margins.right();
    // An empty row of its own: the box's layout takes no spacing for it, so only the
    // box's width can change.
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace tabrivel
