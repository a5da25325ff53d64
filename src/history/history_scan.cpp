#include "history/history_scan.h"

#include "history/word_match.h"

#include <algorithm>
#include <map>
#include <memory>

namespace ziq::history {

namespace {

constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

bool inRange(int date, const HistoryQuery& query) {
    return (query.since == 0 || date >= query.since) && (query.until == 0 || date <= query.until);
}

// The files of one naming scheme, newest first, read one after the other.
class Source {
public:
    Source(std::vector<LogFile> files, const HistoryQuery& query, const WordMatcher& matcher,
           ScanReport& report)
        : files_(std::move(files)), query_(query), matcher_(matcher), report_(report) {
        std::sort(files_.begin(), files_.end(), [](const LogFile& a, const LogFile& b) {
            return std::make_pair(a.date, a.time) > std::make_pair(b.date, b.time);
        });
    }

    // Moves to the next matching entry; false when the scheme has no more.
    bool advance(const std::atomic<bool>* cancel) {
        while (true) {
            if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
                return false;
            }
            if (reader_ && reader_->previous(head_)) {
                if (inRange(head_.date(), query_) &&
                    (matcher_.empty() || entryMatches(head_, *reader_, matcher_))) {
                    return true;
                }
                continue;
            }
            if (reader_ && reader_->failed()) {
                report_.problems.push_back("cannot read all of " + pathText(reader_->file()));
            }
            reader_.reset();
            if (next_ == files_.size()) {
                return false;
            }
            const LogFile& file = files_[next_++];
            // A day file holds that day only, so a date range is a choice of files.
            if (file.date != 0 && !inRange(file.date, query_)) {
                continue;
            }
            reader_ = std::make_unique<LogReader>(file);
            reader_->skipUnless(&matcher_);
            std::string problem;
            if (!reader_->open(problem)) {
                report_.problems.push_back(problem);
                reader_.reset();
            }
        }
    }

    const Entry& head() const { return head_; }
    LogReader& reader() { return *reader_; }

private:
    static std::string pathText(const LogFile& file) {
        const std::u8string text = file.path.u8string();
        return std::string(text.begin(), text.end());
    }

    std::vector<LogFile> files_;
    const HistoryQuery& query_;
    const WordMatcher& matcher_;
    ScanReport& report_;
    std::size_t next_ = 0;
    std::unique_ptr<LogReader> reader_;
    Entry head_;
};

} // namespace

bool entryMatches(const Entry& entry, LogReader& reader, const WordMatcher& matcher) {
    std::uint64_t found = matcher.find(entry.text);
    if (found == matcher.all() || entry.complete) {
        return found == matcher.all();
    }
    std::string piece;
    std::uint64_t at = entry.place.textStart + entry.text.size();
    while (at < entry.place.textEnd) {
        const std::uint64_t from =
            std::max(entry.place.textStart, at - std::min<std::uint64_t>(at, matcher.overlap()));
        piece.resize(static_cast<std::size_t>(
            std::min<std::uint64_t>(kPieceBytes + (at - from), entry.place.textEnd - from)));
        std::size_t got = 0;
        if (!reader.readBytes(from, piece.data(), piece.size(), got) || got <= at - from) {
            return false;
        }
        found = matcher.find(std::string_view(piece.data(), got), found);
        if (found == matcher.all()) {
            return true;
        }
        at = from + got;
    }
    return false;
}

ScanReport scanHistory(const LogFolders& folders, const HistoryQuery& query, const EntrySink& sink,
                       const std::atomic<bool>* cancel) {
    ScanReport report;
    FileListing listing = findLogFiles(folders, query.captures, query.links);
    report.problems = std::move(listing.problems);
    std::map<LogScheme, std::vector<LogFile>> byScheme;
    for (LogFile& file : listing.files) {
        byScheme[file.scheme].push_back(std::move(file));
    }
    const WordMatcher matcher(query.words);
    std::vector<std::unique_ptr<Source>> live;
    for (auto& [scheme, files] : byScheme) {
        auto source = std::make_unique<Source>(std::move(files), query, matcher, report);
        if (source->advance(cancel)) {
            live.push_back(std::move(source));
        }
    }
    while (!live.empty()) {
        auto newest = std::max_element(live.begin(), live.end(), [](const auto& a, const auto& b) {
            // A link is logged right after the capture it came in, often in the same second.
            const auto order = [](const Entry& entry) {
                return std::pair(entry.stamp, entry.kind == EntryKind::Link);
            };
            return order(a->head()) < order(b->head());
        });
        if (!sink((*newest)->head(), (*newest)->reader())) {
            return report;
        }
        if (!(*newest)->advance(cancel)) {
            live.erase(newest);
        }
    }
    report.cancelled = cancel != nullptr && cancel->load();
    return report;
}

} // namespace ziq::history
