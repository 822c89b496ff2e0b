#include "results/ResultsListModel.h"

namespace tabrivel {

ResultsListModel::ResultsListModel(QObject* parent) : QAbstractListModel(parent) {
    sinceFlush_.start();
    lateFlush_.setSingleShot(true);
    lateFlush_.setInterval(kNotifyIntervalMs);
    connect(&lateFlush_, &QTimer::timeout, this, &ResultsListModel::flushPendingRows);
}

QString ResultsListModel::columnTitle() {
    return QStringLiteral("Result(s)");
}

int ResultsListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : announced_;
}

QVariant ResultsListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole)
        return textAt(index.row());
    return {};
}

Qt::ItemFlags ResultsListModel::flags(const QModelIndex& index) const {
    if (index.model() != this || index.column() != 0 || index.row() >= announced_)
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

QVariant ResultsListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return columnTitle();
    return {};
}

void ResultsListModel::append(std::string_view utf8) {
    store_.append(utf8);
    if (sinceFlush_.elapsed() >= kNotifyIntervalMs)
        flushPendingRows();
    else if (!lateFlush_.isActive())
        lateFlush_.start();
}

std::string_view ResultsListModel::utf8At(int row) const {
    return isValidRow(row) ? store_.at(static_cast<std::size_t>(row)) : std::string_view();
}

QString ResultsListModel::textAt(int row) const {
    const std::string_view text = utf8At(row);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool ResultsListModel::removeAt(int row) {
    if (!isValidRow(row))
        return false;
    if (row >= announced_) {
        // No view knows this row yet, so none needs telling.
        store_.erase(static_cast<std::size_t>(row));
        return true;
    }
    beginRemoveRows({}, row, row);
    store_.erase(static_cast<std::size_t>(row));
    --announced_;
    endRemoveRows();
    return true;
}

void ResultsListModel::clear() {
    lateFlush_.stop();
    beginResetModel();
    store_.clear();
    announced_ = 0;
    endResetModel();
}

void ResultsListModel::flushPendingRows() {
    lateFlush_.stop();
    sinceFlush_.restart();
    if (pendingRowCount() == 0)
        return;
    beginInsertRows({}, announced_, count() - 1);
    announced_ = count();
    endInsertRows();
}

} // namespace tabrivel
