#pragma once

#include <QTreeView>

#include <functional>
#include <optional>

namespace tabrivel {

class ResultsListModel;

// Shows the results list. A double-click or the Delete key removes the selected row,
// except while the window shows the busy pointer.
class ResultsListView : public QTreeView {
    Q_OBJECT

public:
    using BusyCheck = std::function<bool()>;

    explicit ResultsListView(ResultsListModel* model, QWidget* parent = nullptr);

    static QString toolTipText();

    ResultsListModel* resultsModel() const { return model_; }
    // Answers true while the window shows the busy pointer; removals are refused then.
    void setBusyCheck(BusyCheck check) { isBusy_ = std::move(check); }

    std::optional<int> selectedRow() const;
    void selectRow(int row);
    // Removes the selected row unless busy; false when nothing was removed.
    bool removeSelectedRow();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    ResultsListModel* model_;
    BusyCheck isBusy_;
};

} // namespace tabrivel
