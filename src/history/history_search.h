#pragma once

#include "history/history_scan.h"
#include "history/latest_job.h"
#include "history/log_files.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ziq::history {

// What the list shows of an entry; the whole text stays in its log and is read by `id`.
struct HistoryRow {
    std::string id;
    std::int64_t stamp = 0;
    EntryKind kind = EntryKind::Capture;
    QString firstLine;
    std::uint64_t length = 0;
};

HistoryRow rowOf(const Entry& entry, LogReader& reader);

// Searches the logs off the GUI thread, a page of rows at a time: the scan waits until the
// list wants more. A new search supersedes the one running; rows come in batches, newest first.
class HistorySearch final : public QObject {
    Q_OBJECT
public:
    static constexpr std::size_t kPageRows = 200;

    // `pace`, when set, is called on the search's thread before each row (a seam for tests).
    explicit HistorySearch(LogFolders folders, std::function<void(std::size_t row)> pace = {},
                           QObject* parent = nullptr);
    ~HistorySearch() override;
    HistorySearch(const HistorySearch&) = delete;
    HistorySearch& operator=(const HistorySearch&) = delete;

    void start(const HistoryQuery& query);
    void fetchMore();
    // Cancels the search and returns once its files are closed.
    void stop();
    bool running() const { return running_; }

signals:
    void rowsFound(const std::vector<ziq::history::HistoryRow>& rows);
    // The search has reached the oldest entry, or was stopped; `problems` are files or
    // folders it could not read.
    void finished(const QStringList& problems);

private:
    void takeRows();

    LogFolders folders_;
    std::function<void(std::size_t row)> pace_;
    QTimer batchTimer_;
    bool running_ = false;
    // Under the job's lock:
    std::uint64_t generation_ = 0;
    std::size_t wanted_ = 0;
    std::vector<HistoryRow> batch_;
    bool done_ = false;
    QStringList problems_;

    LatestJob job_; // last: its thread ends before the rest goes
};

} // namespace ziq::history
