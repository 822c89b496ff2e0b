#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringList>

#include <optional>

namespace tabrivel {

// The files the next conversion reads, one full path per row, in conversion order.
// A row is nothing but its text; the same path may stand in several rows. A path keeps
// the bytes of a name that is not UTF-8 (see fs/NativePath.h); the list shows each as U+FFFD. Rows
// are addressed from 0 here, like every Qt model row.
class InputListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit InputListModel(QObject* parent = nullptr);

    static QString columnTitle();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Adds a new last row; the path is taken as it stands, without any test.
    void append(const QString& path);
    int count() const { return static_cast<int>(paths_.size()); }
    QString pathAt(int row) const;
    bool isValidRow(int row) const { return row >= 0 && row < count(); }

    // Rows after the removed one move up by one place. False for a row not in the list.
    bool removeAt(int row);
    void clear();
    // Swaps the texts of two rows; the rows themselves stay where they are.
    bool exchange(int rowA, int rowB);

private:
    QStringList paths_;
};

// The folder of the given row's file, or of the first row's when the row is missing or
// not in the list; none for an empty list.
std::optional<QString> FolderOfRowOrFirst(const InputListModel& list, std::optional<int> row);

// True when some row's text equals the path exactly (case-sensitive).
bool IsPathInList(const InputListModel& list, const QString& path);

} // namespace tabrivel
