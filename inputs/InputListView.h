#pragma once

#include <QPersistentModelIndex>
#include <QPoint>
#include <QStringList>
#include <QTreeView>

#include <functional>
#include <optional>

class QMimeData;

namespace tabrivel {

class InputListModel;

// Shows the input list and lets the user reorder it by dragging rows with the mouse
// and remove a row by double-clicking it. The window that hosts the view tells it
// whether a long command is running (the busy pointer) and owns the window pointer.
//
// The drag-to-reorder gesture is built on the view's own mouse events rather than on
// Qt's drag and drop, which stays free for files and folders dropped on the list: the
// view takes drops of local files and folders only and hands their paths on through
// filesDropped.
class InputListView : public QTreeView {
    Q_OBJECT

public:
    using BusyCheck = std::function<bool()>;
    using PointerReset = std::function<void()>;
    using CursorPositionSource = std::function<QPoint()>;

    // Heights on the screen, in pixels from its top edge, that decide whether an
    // exchange scrolls a neighbouring row into view.
    static constexpr int kScrollUpBelowY = 305;
    static constexpr int kScrollDownFromY = 365;

    explicit InputListView(InputListModel* model, QWidget* parent = nullptr);

    static QString toolTipText();
    // The drag cursor installed beside the program.
    static QString dragCursorFileIn(const QString& programFolder);

    InputListModel* inputModel() const { return model_; }

    // Answers true while the window shows the busy pointer; removals are refused then.
    void setBusyCheck(BusyCheck check) { isBusy_ = std::move(check); }
    // Called on every pointer move while not busy, so the window can put back its arrow.
    void setWindowPointerReset(PointerReset reset) { resetWindowPointer_ = std::move(reset); }
    // Where the pointer stands on the screen; QCursor::pos() unless replaced.
    void setCursorPositionSource(CursorPositionSource source);
    // Until a cursor file is set, the gesture shows the arrow.
    void setDragCursorFile(const QString& path) { dragCursorFile_ = path; }

    std::optional<int> selectedRow() const;
    void selectRow(int row);
    // The row whose text the next movement over the list carries along, if any.
    std::optional<int> draggedRow() const;
    bool isDragArmed() const { return armed_; }

    // Removes the selected row unless busy; false when nothing was removed.
    bool removeSelectedRow();

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    // The local paths (native separators) that dropped data names, in the data's order,
    // byte for byte as the file system names them; empty for data that names no local
    // file or folder.
    static QStringList droppedPaths(const QMimeData* data);

signals:
    // Sent once the drop has been answered, so the drag source is released before the
    // paths are expanded.
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool busy() const { return isBusy_ && isBusy_(); }
    void clickRow(int row);
    void exchangeWithHitRow(int hitRow);
    void scrollNeighbourIntoView(int hitRow);
    QCursor loadDragCursor() const;
    static void answerDrag(QDropEvent* event);

    InputListModel* model_;
    BusyCheck isBusy_;
    PointerReset resetWindowPointer_;
    CursorPositionSource cursorPosition_;
    QString dragCursorFile_;
    // A persistent index, so a removed row or a cleared list can never leave the
    // gesture pointing at a row that is gone.
    QPersistentModelIndex dragged_;
    bool armed_ = false;
    // Set while an exchange moves the selection: only the screen-height rule may scroll
    // then, not the view's habit of bringing a newly current row fully into view.
    bool holdScroll_ = false;
};

} // namespace tabrivel
