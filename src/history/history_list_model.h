#pragma once

#include "history/history_search.h"

#include <QAbstractTableModel>

#include <functional>
#include <vector>

namespace ziq::history {

// The entries found so far, newest first: time, kind and first line; the search is asked for
// another page as the view comes near the end of those it gave.
class HistoryListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TimeColumn, KindColumn, TextColumn, ColumnCount };

    explicit HistoryListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void clear();
    void append(const std::vector<HistoryRow>& rows);
    void removeAt(int row);
    const HistoryRow* at(int row) const;
    // Whether the search may still find more, and how to ask it for them.
    void setMoreAvailable(bool more) { moreAvailable_ = more; }
    void setFetcher(std::function<void()> fetch) { fetch_ = std::move(fetch); }
    // Asks for the next page, unless the last one is still coming or there is no more.
    void askForMore();

private:
    std::vector<HistoryRow> rows_;
    bool moreAvailable_ = false;
    std::size_t asked_ = HistorySearch::kPageRows; // rows the search was asked for
    std::function<void()> fetch_;
};

// "YYYY-MM-DD HH:MM:SS" of a YYYYMMDDHHMMSS stamp.
QString stampText(std::int64_t stamp);
QString kindText(EntryKind kind);

} // namespace ziq::history
