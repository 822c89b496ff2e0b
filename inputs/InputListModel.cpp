#include "inputs/InputListModel.h"

#include "fs/NativePath.h"
#include "fs/PathText.h"

namespace tabrivel {

InputListModel::InputListModel(QObject* parent) : QAbstractListModel(parent) {}

QString InputListModel::columnTitle() {
    return QStringLiteral("DBF File(s)");
}

int InputListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant InputListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole)
        return ReadableName(paths_.at(index.row()));
    return {};
}

QVariant InputListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return columnTitle();
    return {};
}

void InputListModel::append(const QString& path) {
    const int row = count();
    beginInsertRows({}, row, row);
    paths_.append(path);
    endInsertRows();
}

QString InputListModel::pathAt(int row) const {
    return isValidRow(row) ? paths_.at(row) : QString();
}

bool InputListModel::removeAt(int row) {
    if (!isValidRow(row))
        return false;
    beginRemoveRows({}, row, row);
    paths_.removeAt(row);
    endRemoveRows();
    return true;
}

void InputListModel::clear() {
    if (paths_.isEmpty())
        return;
    beginResetModel();
    paths_.clear();
    endResetModel();
}

bool InputListModel::exchange(int rowA, int rowB) {
    if (!isValidRow(rowA) || !isValidRow(rowB))
        return false;
    if (rowA == rowB)
        return true;
    paths_.swapItemsAt(rowA, rowB);
    emit dataChanged(index(rowA), index(rowA), {Qt::DisplayRole});
    emit dataChanged(index(rowB), index(rowB), {Qt::DisplayRole});
    return true;
}

std::optional<QString> FolderOfRowOrFirst(const InputListModel& list, std::optional<int> row) {
    if (list.count() == 0)
        return std::nullopt;
    return FolderOfPath(list.pathAt(row && list.isValidRow(*row) ? *row : 0));
}

bool IsPathInList(const InputListModel& list, const QString& path) {
    for (int row = 0; row < list.count(); ++row) {
        if (list.pathAt(row) == path)
            return true;
    }
    return false;
}

} // namespace tabrivel
