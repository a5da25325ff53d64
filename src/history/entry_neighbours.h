#pragma once

#include "history/history_search.h"
#include "history/latest_job.h"
#include "history/log_files.h"

#include <QObject>
#include <QString>

#include <cstdint>

namespace ziq::history {

// Finds, off the GUI thread, the entries just before and just after one entry in time,
// whatever the search shows.
class EntryNeighbours final : public QObject {
    Q_OBJECT
public:
    explicit EntryNeighbours(LogFolders folders, QObject* parent = nullptr);
    ~EntryNeighbours() override;
    EntryNeighbours(const EntryNeighbours&) = delete;
    EntryNeighbours& operator=(const EntryNeighbours&) = delete;

    // Supersedes the lookup still running.
    void lookUp(const HistoryRow& row);
    void stop();

signals:
    // Each as "YYYY-MM-DD HH:MM:SS kind first line", empty where there is none.
    void found(const QString& before, const QString& after);

private:
    LogFolders folders_;
    std::uint64_t generation_ = 0; // GUI thread only
    LatestJob job_;                // last: its thread ends before the rest goes
};

} // namespace ziq::history
