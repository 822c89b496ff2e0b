#include "inputs/InputListView.h"

#include "fs/NativePath.h"
#include "inputs/InputListModel.h"
#include "inputs/OneColumnList.h"
#include "shell/ProgramFiles.h"

#include <QCursor>
#include <QDir>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>

namespace tabrivel {

InputListView::InputListView(InputListModel* model, QWidget* parent)
    : QTreeView(parent), model_(model), cursorPosition_([] { return QCursor::pos(); }) {
    setModel(model);
    SetUpOneColumnList(*this);
    setDragEnabled(false);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    // The window's pointer is reset on every movement, with or without a button held.
    viewport()->setMouseTracking(true);
    setToolTip(toolTipText());
}

QString InputListView::toolTipText() {
    return QStringLiteral("Drag and drop files here. Double-click item to remove it. "
                          "Move | line to right and out of window to reveal full names.");
}

QString InputListView::dragCursorFileIn(const QString& programFolder) {
    return BesideProgram(programFolder, QStringLiteral("drag.ico"));
}

void InputListView::setCursorPositionSource(CursorPositionSource source) {
    cursorPosition_ = source ? std::move(source) : [] {
        return QCursor::pos();
    };
}

std::optional<int> InputListView::selectedRow() const {
    if (!selectionModel())
        return std::nullopt;
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().row();
}

void InputListView::selectRow(int row) {
    if (!model_->isValidRow(row))
        return;
    selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
}

std::optional<int> InputListView::draggedRow() const {
    if (!dragged_.isValid())
        return std::nullopt;
    return dragged_.row();
}

bool InputListView::removeSelectedRow() {
    if (busy() || model_->count() == 0)
        return false;
    const std::optional<int> row = selectedRow();
    return row && model_->removeAt(*row);
}

void InputListView::mousePressEvent(QMouseEvent* event) {
    // Any button, anywhere over the list (also below the last row) arms the gesture.
    armed_ = true;
    const QModelIndex pressed = indexAt(event->position().toPoint());
    if (pressed.isValid())
        clickRow(pressed.row());
    event->accept();
}

void InputListView::clickRow(int row) {
    selectRow(row);
    // Read anew at each click, so a cursor file replaced while the program runs is used.
    viewport()->setCursor(loadDragCursor());
    dragged_ = model_->index(row);
}

void InputListView::mouseMoveEvent(QMouseEvent* event) {
    if (!busy() && resetWindowPointer_)
        resetWindowPointer_();
    event->accept();
    if (!armed_)
        return;
    const QModelIndex hit = indexAt(event->position().toPoint());
    if (!hit.isValid() || !dragged_.isValid())
        return;
    // Equal texts are never exchanged: hovering over the dragged row itself, or over
    // another row naming the same file, changes nothing.
    if (model_->pathAt(hit.row()) != model_->pathAt(dragged_.row()))
        exchangeWithHitRow(hit.row());
}

void InputListView::exchangeWithHitRow(int hitRow) {
    model_->exchange(dragged_.row(), hitRow);
    holdScroll_ = true;
    selectRow(hitRow);
    holdScroll_ = false;
    dragged_ = model_->index(hitRow);
    scrollNeighbourIntoView(hitRow);
}

void InputListView::scrollNeighbourIntoView(int hitRow) {
    // The pointer's height on the screen, not in the list, decides: the rule was tuned
    // for the window at its usual place, where these heights bracket the list's rows.
    const int screenY = cursorPosition_().y();
    if (screenY < kScrollUpBelowY) {
        if (hitRow >= 1)
            scrollTo(model_->index(hitRow - 1));
    } else if (screenY >= kScrollDownFromY && hitRow + 1 < model_->count()) {
        scrollTo(model_->index(hitRow + 1));
    }
}

void InputListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!holdScroll_)
        QTreeView::scrollTo(index, hint);
}

void InputListView::mouseReleaseEvent(QMouseEvent* event) {
    armed_ = false;
    viewport()->setCursor(Qt::ArrowCursor);
    event->accept();
}

void InputListView::mouseDoubleClickEvent(QMouseEvent* event) {
    removeSelectedRow();
    event->accept();
}

QCursor InputListView::loadDragCursor() const {
    // Without a readable cursor file the gesture still works, under the arrow.
    const QPixmap image(dragCursorFile_);
    if (image.isNull())
        return QCursor(Qt::ArrowCursor);
    return QCursor(image);
}

} // namespace tabrivel

namespace tabrivel {

QStringList InputListView::droppedPaths(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    // Qt's own reading of the URL would turn a byte of the name that is no UTF-8 into
    // U+FFFD, and the path would name no file.
    for (const QUrl& url : data->urls()) {
        if (const QString path = LocalPathOfUrl(url); !path.isEmpty())
            paths.append(QDir::toNativeSeparators(path));
    }
    return paths;
}

// The list only reads what is dropped, so it asks for a copy: a source that honoured a
// proposed move could otherwise delete the user's files once the drop is done.
void InputListView::answerDrag(QDropEvent* event) {
    if (droppedPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    event->accept();
}

void InputListView::dragEnterEvent(QDragEnterEvent* event) {
    answerDrag(event);
}

void InputListView::dragMoveEvent(QDragMoveEvent* event) {
    answerDrag(event);
}

void InputListView::dropEvent(QDropEvent* event) {
    answerDrag(event);
    if (!event->isAccepted())
        return;
    QMetaObject::invokeMethod(
        this, [this, paths = droppedPaths(event->mimeData())] { emit filesDropped(paths); },
        Qt::QueuedConnection);
}

} // namespace tabrivel
