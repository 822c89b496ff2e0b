#include "results/ResultsListView.h"

#include "inputs/OneColumnList.h"
#include "results/ResultsListModel.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace tabrivel {

ResultsListView::ResultsListView(ResultsListModel* model, QWidget* parent)
    : QTreeView(parent), model_(model) {
    setModel(model);
    SetUpOneColumnList(*this);
    setToolTip(toolTipText());
}

QString ResultsListView::toolTipText() {
    return QStringLiteral("Move | line to right and out of window to reveal full names.");
}

std::optional<int> ResultsListView::selectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().row();
}

void ResultsListView::selectRow(int row) {
    if (row < 0 || row >= model_->rowCount())
        return;
    selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
}

bool ResultsListView::removeSelectedRow() {
    if ((isBusy_ && isBusy_()) || model_->count() == 0)
        return false;
    const std::optional<int> row = selectedRow();
    return row && model_->removeAt(*row);
}

void ResultsListView::mouseDoubleClickEvent(QMouseEvent* event) {
    removeSelectedRow();
    event->accept();
}

void ResultsListView::keyPressEvent(QKeyEvent* event) {
    // Delete acts whatever modifier keys are held; every other key keeps its usual meaning.
    if (event->key() != Qt::Key_Delete) {
        QTreeView::keyPressEvent(event);
        return;
    }
    removeSelectedRow();
    event->accept();
}

} // namespace tabrivel
