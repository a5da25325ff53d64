#include "history/history_search.h"

#include "history/entry_id.h"

#include <QMetaObject>

#include <chrono>

namespace ziq::history {

namespace {

constexpr int kFirstLineChars = 200;
constexpr std::chrono::milliseconds kBatchInterval{50};

} // namespace

HistoryRow rowOf(const Entry& entry, LogReader& reader) {
    HistoryRow row;
    row.id = entryId(entry, reader);
    row.stamp = entry.stamp;
    row.kind = entry.kind;
    row.length = entry.length();
    std::string_view line = entry.text.substr(0, entry.text.find_first_of("\r\n"));
    // Enough bytes for the characters shown, whatever their width.
    line = line.substr(0, std::min<std::size_t>(line.size(), kFirstLineChars * 4));
    row.firstLine = QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()))
                        .left(kFirstLineChars)
                        .replace(QLatin1Char('\t'), QLatin1Char(' '));
    return row;
}

HistorySearch::HistorySearch(LogFolders folders, std::function<void(std::size_t row)> pace,
                             QObject* parent)
    : QObject(parent), folders_(std::move(folders)), pace_(std::move(pace)) {
    batchTimer_.setInterval(kBatchInterval);
    connect(&batchTimer_, &QTimer::timeout, this, &HistorySearch::takeRows);
}

HistorySearch::~HistorySearch() {
    job_.stop();
}

void HistorySearch::start(const HistoryQuery& query) {
    std::uint64_t generation = 0;
    job_.update([&] {
        generation = ++generation_;
        wanted_ = kPageRows;
        batch_.clear();
        done_ = false;
        problems_.clear();
    });
    running_ = true;
    batchTimer_.start();
    job_.run([this, query, generation](const std::atomic<bool>& cancel) {
        std::size_t given = 0;
        const ScanReport report = scanHistory(
            folders_, query,
            [&](const Entry& entry, LogReader& reader) {
                if (pace_) {
                    pace_(given);
                }
                HistoryRow row = rowOf(entry, reader);
                bool first = false;
                job_.update([&] {
                    first = batch_.empty();
                    if (generation == generation_) {
                        batch_.push_back(std::move(row));
                    }
                });
                ++given;
                // The first rows go at once; the rest wait for the batch timer.
                if (first && given == 1) {
                    QMetaObject::invokeMethod(this, &HistorySearch::takeRows, Qt::QueuedConnection);
                }
                return job_.waitUntil([&] { return generation != generation_ || wanted_ > given; });
            },
            &cancel);
        job_.update([&] {
            if (generation == generation_) {
                done_ = true;
                for (const std::string& problem : report.problems) {
                    problems_.push_back(QString::fromStdString(problem));
                }
            }
        });
        QMetaObject::invokeMethod(this, &HistorySearch::takeRows, Qt::QueuedConnection);
    });
}

void HistorySearch::fetchMore() {
    job_.update([&] { wanted_ += kPageRows; });
}

void HistorySearch::stop() {
    job_.update([&] { ++generation_; });
    job_.stop();
    if (running_) {
        running_ = false;
        batchTimer_.stop();
        emit finished({});
    }
}

void HistorySearch::takeRows() {
    std::vector<HistoryRow> rows;
    bool done = false;
    QStringList problems;
    job_.update([&] {
        rows.swap(batch_);
        done = done_;
        done_ = false;
        problems.swap(problems_);
    });
    if (!rows.empty()) {
        emit rowsFound(rows);
    }
    if (done && running_) {
        running_ = false;
        batchTimer_.stop();
        emit finished(problems);
    }
}

} // namespace ziq::history
