#include "history/entry_neighbours.h"

#include "history/entry_id.h"
#include "history/history_list_model.h"

#include <QMetaObject>

namespace ziq::history {

namespace {

struct Seen {
    std::int64_t stamp = 0;
    EntryKind kind = EntryKind::Capture;
    std::string text; // the beginning of the text
};

QString described(const Seen& seen) {
    if (seen.stamp == 0) {
        return {};
    }
    const QString line =
        QString::fromUtf8(seen.text.data(), static_cast<qsizetype>(seen.text.size()));
    return stampText(seen.stamp) + QLatin1Char(' ') + kindText(seen.kind) + QLatin1Char(' ') +
           line.section(QLatin1Char('\n'), 0, 0)
               .trimmed()
               .replace(QLatin1Char('\t'), QLatin1Char(' '));
}

} // namespace

EntryNeighbours::EntryNeighbours(LogFolders folders, QObject* parent)
    : QObject(parent), folders_(std::move(folders)) {}

EntryNeighbours::~EntryNeighbours() {
    job_.stop();
}

void EntryNeighbours::lookUp(const HistoryRow& row) {
    HistoryQuery query;
    query.until = static_cast<int>(row.stamp / 1000000);
    const std::uint64_t generation = ++generation_;
    job_.run([this, query, generation, target = row](const std::atomic<bool>& cancel) {
        Seen newer;
        Seen older;
        bool passed = false;
        scanHistory(
            folders_, query,
            [&](const Entry& entry, LogReader& reader) {
                Seen seen{entry.stamp, entry.kind,
                          std::string(
                              entry.text.substr(0, std::min<std::size_t>(entry.text.size(), 400)))};
                if (passed) {
                    older = std::move(seen);
                    return false;
                }
                if (entry.stamp == target.stamp && entryId(entry, reader) == target.id) {
                    passed = true;
                    return true;
                }
                newer = std::move(seen);
                return true;
            },
            &cancel);
        if (cancel || !passed) {
            return;
        }
        const QString before = described(older);
        const QString after = described(newer);
        QMetaObject::invokeMethod(
            this,
            [this, generation, before, after] {
                if (generation == generation_) {
                    emit found(before, after);
                }
            },
            Qt::QueuedConnection);
    });
}

void EntryNeighbours::stop() {
    ++generation_;
    job_.stop();
}

} // namespace ziq::history
