#include "history/history_list_model.h"

namespace ziq::history {

QString stampText(std::int64_t stamp) {
    const auto part = [stamp](int divisor, int modulo) {
        return static_cast<int>(stamp / divisor % modulo);
    };
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(static_cast<int>(stamp / 10000000000), 4, 10, QLatin1Char('0'))
        .arg(part(100000000, 100), 2, 10, QLatin1Char('0'))
        .arg(part(1000000, 100), 2, 10, QLatin1Char('0'))
        .arg(part(10000, 100), 2, 10, QLatin1Char('0'))
        .arg(part(100, 100), 2, 10, QLatin1Char('0'))
        .arg(part(1, 100), 2, 10, QLatin1Char('0'));
}

QString kindText(EntryKind kind) {
    return kind == EntryKind::Link ? QStringLiteral("link") : QStringLiteral("capture");
}

HistoryListModel::HistoryListModel(QObject* parent) : QAbstractTableModel(parent) {}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int HistoryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    const HistoryRow* row = at(index.row());
    if (row == nullptr || role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
    case TimeColumn:
        return stampText(row->stamp);
    case KindColumn:
        return kindText(row->kind);
    default:
        return row->firstLine;
    }
}

QVariant HistoryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case TimeColumn:
        return QStringLiteral("Time");
    case KindColumn:
        return QStringLiteral("Kind");
    default:
        return QStringLiteral("Text");
    }
}

void HistoryListModel::askForMore() {
    if (moreAvailable_ && rows_.size() >= asked_ && fetch_) {
        asked_ += HistorySearch::kPageRows;
        fetch_();
    }
}

void HistoryListModel::clear() {
    beginResetModel();
    rows_.clear();
    asked_ = HistorySearch::kPageRows;
    endResetModel();
}

void HistoryListModel::append(const std::vector<HistoryRow>& rows) {
    if (rows.empty()) {
        return;
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), rows.begin(), rows.end());
    endInsertRows();
}

void HistoryListModel::removeAt(int row) {
    if (at(row) == nullptr) {
        return;
    }
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    --asked_;
    endRemoveRows();
}

const HistoryRow* HistoryListModel::at(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < rows_.size()
               ? &rows_[static_cast<std::size_t>(row)]
               : nullptr;
}

} // namespace ziq::history
