#pragma once

#include "results/StatementStore.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QTimer>

#include <string_view>

namespace tabrivel {

// The statements of the last conversion, one per row in the order they were appended.
// Rows are addressed from 0, like every Qt model row.
//
// Views are told about appended rows in batches, at most every kNotifyIntervalMs and
// whenever flushPendingRows() is called: a view told about every row spends its time
// laying itself out again. count() and textAt() always see every appended row;
// rowCount() is what the views have been told and may lag until the next flush.
class ResultsListModel : public QAbstractListModel {
    Q_OBJECT

public:
    // Each batch makes the view lay out every row again, so at a million rows a batch
    // costs tens of milliseconds: the longer the interval, the less a long run pays.
    static constexpr int kNotifyIntervalMs = 250;

    explicit ResultsListModel(QObject* parent = nullptr);

    static QString columnTitle();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Asked for every row each time the view lays itself out, so it answers without the
    // general index checks.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void append(std::string_view utf8);
    int count() const { return static_cast<int>(store_.size()); }
    bool isValidRow(int row) const { return row >= 0 && row < count(); }
    // Valid until the list next changes.
    std::string_view utf8At(int row) const;
    QString textAt(int row) const;

    // Later rows move up by one place. False for a row not in the list.
    bool removeAt(int row);
    void clear();

    // Tells the views about every row appended since the last time.
    void flushPendingRows();
    int pendingRowCount() const { return count() - announced_; }

    std::size_t textBytes() const { return store_.textBytes(); }
    std::size_t memoryBytes() const { return sizeof(*this) + store_.memoryBytes(); }

private:
    StatementStore store_;
    int announced_ = 0;
    QElapsedTimer sinceFlush_;
    // Shows rows that arrive after the last flush once the event loop next runs.
    QTimer lateFlush_;
};

} // namespace tabrivel
