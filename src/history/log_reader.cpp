#include "history/log_reader.h"

#include "history/word_match.h"
#include "profile/profile_text.h"

#include <algorithm>
#include <cstring>

namespace ziq::history {

namespace {

// A header and its "TEXT=" line fit in this much beyond a chunk's end.
constexpr std::uint64_t kLookahead = 4096;
constexpr std::uint64_t kSectionSearchBytes = 64 * 1024;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The last '[' in [data, data + size).
const char* lastBracket(const char* data, std::size_t size) {
#if defined(__GLIBC__)
    return static_cast<const char*>(memrchr(data, '[', size));
#else
    for (std::size_t i = size; i > 0; --i) {
        if (data[i - 1] == '[') {
            return data + i - 1;
        }
    }
    return nullptr;
#endif
}

bool isLinkLog(const LogFile& file) {
    return kindOf(file.scheme) == EntryKind::Link;
}

} // namespace

bool LogReader::open(std::string& problem) {
    profile::io::OpenStatus status = profile::io::OpenStatus::Ok;
    handle_ = profile::io::File::openForReading(file_.path, status);
    profile::io::FileStamp stamp;
    if (!handle_.isOpen() || !handle_.stamp(stamp)) {
        problem = "cannot read " +
                  std::string(reinterpret_cast<const char*>(file_.path.u8string().c_str()));
        failed_ = true;
        return false;
    }
    size_ = stamp.size;
    char mark[3] = {};
    std::size_t got = 0;
    if (handle_.readAt(0, mark, 3, got) && got == 3 && std::memcmp(mark, "\xEF\xBB\xBF", 3) == 0) {
        contentStart_ = 3;
    }
    pos_ = boundary_ = size_;
    return true;
}

bool LogReader::readBytes(std::uint64_t offset, char* to, std::size_t length, std::size_t& got) {
    got = 0;
    if (offset >= size_) {
        return true;
    }
    length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset));
    return handle_.readAt(offset, to, length, got);
}

bool LogReader::load(std::uint64_t from, std::uint64_t to) {
    char* into = buffer_.prepare(static_cast<std::size_t>(to - from));
    bufferFrom_ = from;
    std::size_t got = 0;
    if (!readBytes(from, into, buffer_.size(), got)) {
        failed_ = true;
        buffer_.shrink(0);
        return false;
    }
    buffer_.shrink(got); // a file cut short meanwhile ends here
    return true;
}

LogReader::View LogReader::loaded() const {
    return {buffer_.data(), bufferFrom_, bufferFrom_ + buffer_.size()};
}

bool LogReader::byteAt(std::uint64_t offset, char& out) {
    if (offset >= bufferFrom_ && offset < bufferFrom_ + buffer_.size()) {
        out = buffer_[static_cast<std::size_t>(offset - bufferFrom_)];
        return true;
    }
    std::size_t got = 0;
    return readBytes(offset, &out, 1, got) && got == 1;
}

bool LogReader::lineStartAt(const View& view, std::uint64_t at) const {
    if (at == contentStart_) {
        return true;
    }
    return at > contentStart_ && at > view.from && at <= view.to && isLineBreak(view.at(at - 1));
}

bool LogReader::openerAt(const View& view, std::uint64_t lineStart, Opener& out) const {
    std::uint64_t i = lineStart;
    while (i < view.to && profile::isBlank(view.at(i))) {
        ++i;
    }
    if (i >= view.to) {
        return false;
    }
    out = Opener{};
    out.at = lineStart;
    const auto readDigits = [&] {
        std::int64_t value = 0;
        int count = 0;
        while (i < view.to && isDigit(view.at(i))) {
            if (count < 18) {
                value = value * 10 + (view.at(i) - '0');
            }
            ++count;
            ++i;
        }
        out.stampPart = count > 0 && count <= 18 ? value : -1;
        out.digits = count;
    };
    if (!isLinkLog(file_)) {
        if (view.at(i) != '[') {
            return false;
        }
        ++i;
        readDigits();
        if (out.digits != 14) {
            static constexpr std::string_view kLogEntry = "logentry";
            if (out.digits != 0 || view.to - i < kLogEntry.size()) {
                return false;
            }
            for (const char c : kLogEntry) {
                if (lower(view.at(i++)) != c) {
                    return false;
                }
            }
        }
        if (i >= view.to || view.at(i) != ']') {
            return false;
        }
        ++i;
        while (i < view.to && profile::isBlank(view.at(i))) {
            ++i;
        }
        if (i >= view.to || !isLineBreak(view.at(i))) {
            return false;
        }
        if (view.at(i) == '\r' && i + 1 < view.to && view.at(i + 1) == '\n') {
            ++i;
        }
        ++i;
        while (i < view.to && profile::isBlank(view.at(i))) {
            ++i;
        }
        for (const char c : std::string_view("text")) {
            if (i >= view.to || lower(view.at(i)) != c) {
                return false;
            }
            ++i;
        }
        while (i < view.to && profile::isBlank(view.at(i))) {
            ++i;
        }
        if (i >= view.to || view.at(i) != '=') {
            return false;
        }
        out.type = OpenerType::ClipHeader;
        out.textStart = i + 1;
        return true;
    }
    if (view.at(i) == '[') {
        ++i;
        while (i < view.to && profile::isBlank(view.at(i))) {
            ++i;
        }
        readDigits();
        while (i < view.to && profile::isBlank(view.at(i))) {
            ++i;
        }
        if (i < view.to && view.at(i) != ']' && !isLineBreak(view.at(i))) {
            out.stampPart = -1; // a name that is not all digits
        }
        out.type = OpenerType::LinkHeader;
        return true;
    }
    if (!isDigit(view.at(i))) {
        return false;
    }
    readDigits();
    while (i < view.to && profile::isBlank(view.at(i))) {
        ++i;
    }
    if (i >= view.to || view.at(i) != '=') {
        return false;
    }
    out.type = OpenerType::LinkKey;
    out.textStart = i + 1;
    return true;
}

void LogReader::findOpeners(const View& view, std::uint64_t from, std::uint64_t to,
                            std::vector<Opener>& out) const {
    int section = -1;
    const auto add = [&](std::uint64_t lineStart) {
        Opener opener;
        if (lineStart >= from && lineStart < to && openerAt(view, lineStart, opener)) {
            if (opener.type == OpenerType::LinkHeader) {
                section = static_cast<int>(out.size());
            } else if (opener.type == OpenerType::LinkKey) {
                opener.section = section;
            }
            out.push_back(opener);
        }
    };
    if (!isLinkLog(file_)) {
        // Headers are rare in texts: look for their bracket, then for the line it starts.
        Opener opener;
        for (std::uint64_t i = from; firstClipOpener(view, i, to, opener); i = opener.at + 1) {
            out.push_back(opener);
        }
        return;
    }
    if (lineStartAt(view, from)) {
        add(from);
    }
    for (std::uint64_t i = from; i < to; ++i) {
        const char c = view.at(i);
        if (c == '\n' || (c == '\r' && (i + 1 >= view.to || view.at(i + 1) != '\n'))) {
            add(i + 1);
        }
    }
}

bool LogReader::clipOpenerAtBracket(const View& view, std::uint64_t bracket, std::uint64_t from,
                                    Opener& out) const {
    std::uint64_t lineStart = bracket;
    while (lineStart > view.from && lineStart > contentStart_ &&
           profile::isBlank(view.at(lineStart - 1))) {
        --lineStart;
    }
    return lineStart >= from && lineStartAt(view, lineStart) && openerAt(view, lineStart, out);
}

bool LogReader::firstClipOpener(const View& view, std::uint64_t start, std::uint64_t to,
                                Opener& out) const {
    const std::uint64_t searchTo = std::min(view.to, to + kLookahead);
    for (std::uint64_t i = std::max(start, view.from); i < searchTo;) {
        const char* hit = static_cast<const char*>(
            std::memchr(view.data + (i - view.from), '[', static_cast<std::size_t>(searchTo - i)));
        if (hit == nullptr) {
            return false;
        }
        const std::uint64_t at = view.from + static_cast<std::uint64_t>(hit - view.data);
        if (clipOpenerAtBracket(view, at, start, out)) {
            return out.at < to;
        }
        i = at + 1;
    }
    return false;
}

bool LogReader::lastClipOpener(const View& view, std::uint64_t from, std::uint64_t before,
                               std::uint64_t bracketLimit, Opener& out) const {
    std::size_t limit = static_cast<std::size_t>(std::min(view.to, bracketLimit) - view.from);
    while (limit > 0) {
        const char* hit = lastBracket(view.data, limit);
        if (hit == nullptr || view.from + static_cast<std::uint64_t>(hit - view.data) < from) {
            return false;
        }
        limit = static_cast<std::size_t>(hit - view.data);
        if (clipOpenerAtBracket(view, view.from + limit, from, out) && out.at <= before) {
            return true;
        }
    }
    return false;
}

void LogReader::findOpenersNearPlaces(const View& view, std::uint64_t from, std::uint64_t to,
                                      std::uint64_t nextAt, std::vector<Opener>& out) const {
    // Newest first here. The chunk's last entry may run beyond what is loaded, and its first
    // marks where the next chunk's entries end: both are always handed out.
    std::vector<Opener> found;
    Opener opener;
    if (!lastClipOpener(view, from, to - 1, to + kLookahead, opener)) {
        return;
    }
    opener.end = nextAt;
    found.push_back(opener);
    for (auto place = places_.rbegin(); place != places_.rend(); ++place) {
        const std::uint64_t at = view.from + *place;
        if (at >= found.back().at) {
            continue;
        }
        if (at < from || !lastClipOpener(view, from, at, at + 1, opener)) {
            break;
        }
        found.push_back(opener);
    }
    if (firstClipOpener(view, from, to, opener) && opener.at < found.back().at) {
        found.push_back(opener);
    }
    for (std::size_t k = 1; k < found.size(); ++k) {
        Opener next;
        found[k].end = firstClipOpener(view, found[k].textStart, to, next) ? next.at : nextAt;
    }
    out.assign(found.rbegin(), found.rend());
}

bool LogReader::sectionBefore(std::uint64_t before, Opener& out) {
    std::vector<char> piece;
    std::vector<Opener> found;
    while (before > contentStart_) {
        const std::uint64_t from = before - std::min(before - contentStart_, kSectionSearchBytes);
        const std::uint64_t readFrom = from > 0 ? from - 1 : 0;
        piece.resize(static_cast<std::size_t>(std::min(size_, before + kLookahead) - readFrom));
        std::size_t got = 0;
        if (!readBytes(readFrom, piece.data(), piece.size(), got)) {
            failed_ = true;
            return false;
        }
        found.clear();
        findOpeners({piece.data(), readFrom, readFrom + got}, from, before, found);
        for (auto it = found.rbegin(); it != found.rend(); ++it) {
            if (it->type == OpenerType::LinkHeader) {
                out = *it;
                return true;
            }
        }
        before = from;
    }
    return false;
}

std::uint64_t LogReader::lineBreakBefore(std::uint64_t at) {
    char last = 0;
    char beforeLast = 0;
    if (at == 0 || !byteAt(at - 1, last)) {
        return at;
    }
    if (last == '\n') {
        return at >= 2 && byteAt(at - 2, beforeLast) && beforeLast == '\r' ? at - 2 : at - 1;
    }
    return last == '\r' ? at - 1 : at;
}

bool LogReader::makeEntry(const Opener& opener, const Opener* section, std::uint64_t end,
                          Entry& out) {
    out = Entry{};
    out.file = &file_;
    out.kind = kindOf(file_.scheme);
    out.place = {opener.at, opener.textStart,
                 std::max(opener.textStart, std::min(end, lineBreakBefore(end))), end};
    if (opener.type == OpenerType::ClipHeader) {
        out.stamp = opener.digits == 14 ? opener.stampPart
                                        : std::int64_t{file_.date} * 1000000 + file_.time;
    } else if (file_.scheme == LogScheme::LinkOneFile) {
        const std::int64_t date =
            section != nullptr && section->digits == 8 ? section->stampPart : 0;
        out.stamp = date * 1000000 + (opener.digits == 6 ? opener.stampPart : 0);
    } else {
        const std::int64_t hour =
            section != nullptr && section->digits == 2 ? section->stampPart : 0;
        out.stamp = std::int64_t{file_.date} * 1000000 + hour * 10000 +
                    (opener.digits == 4 ? opener.stampPart : 0);
    }
    const std::uint64_t length = out.length();
    const View view = loaded();
    if (out.place.textStart >= view.from && out.place.textEnd <= view.to) {
        out.text = std::string_view(view.data + (out.place.textStart - view.from),
                                    static_cast<std::size_t>(length));
        return true;
    }
    out.complete = length <= kWholeTextLimit;
    char* into = side_.prepare(static_cast<std::size_t>(out.complete ? length : kPreviewBytes));
    std::size_t got = 0;
    if (!readBytes(out.place.textStart, into, side_.size(), got)) {
        failed_ = true;
        return false;
    }
    out.text = std::string_view(side_.data(), got);
    return true;
}

bool LogReader::previous(Entry& out) {
    while (!failed_) {
        if (nextOpener_ > 0) {
            const Opener& opener = openers_[--nextOpener_];
            const std::uint64_t end = opener.end != 0 ? opener.end : boundary_;
            boundary_ = opener.at;
            if (opener.type == OpenerType::LinkHeader || !mayMatch(opener.textStart, end)) {
                continue;
            }
            const Opener* section = nullptr;
            if (opener.section >= 0) {
                section = &openers_[static_cast<std::size_t>(opener.section)];
            } else if (haveChunkSection_) {
                section = &chunkSection_;
            }
            return makeEntry(opener, section, end, out);
        }
        if (pos_ <= contentStart_) {
            return false;
        }
        const std::uint64_t from = pos_ - std::min<std::uint64_t>(pos_ - contentStart_, chunk_);
        // The newest entries come from a small first piece; a long scan reads big ones.
        chunk_ = std::min(chunk_ * 4, kChunkBytes);
        if (!load(from > 0 ? from - 1 : 0, std::min(size_, pos_ + kLookahead))) {
            return false;
        }
        openers_.clear();
        const View view = loaded();
        havePlaces_ =
            matcher_ != nullptr && !matcher_->empty() &&
            matcher_->places({view.data, static_cast<std::size_t>(view.to - view.from)}, places_);
        if (havePlaces_ && !isLinkLog(file_)) {
            findOpenersNearPlaces(view, from, pos_, boundary_, openers_);
        } else {
            findOpeners(view, from, pos_, openers_);
        }
        nextOpener_ = openers_.size();
        pos_ = from;
        haveChunkSection_ = false;
        const bool keyWithoutSection =
            !openers_.empty() && openers_.front().type == OpenerType::LinkKey;
        if (keyWithoutSection) {
            haveChunkSection_ = sectionBefore(from, chunkSection_);
        }
    }
    return false;
}

bool LogReader::mayMatch(std::uint64_t textStart, std::uint64_t end) const {
    const View view = loaded();
    if (!havePlaces_ || end > view.to || textStart < view.from) {
        return true;
    }
    const auto place = std::lower_bound(places_.begin(), places_.end(),
                                        static_cast<std::uint32_t>(textStart - view.from));
    return place != places_.end() && view.from + *place + matcher_->placeLength() <= end;
}

bool LogReader::nextOpenerAfter(std::uint64_t from, std::uint64_t& at) {
    std::vector<Opener> found;
    for (std::uint64_t p = from; p < size_; p += kChunkBytes) {
        const std::uint64_t to = std::min(size_, p + kChunkBytes);
        if (!load(p > 0 ? p - 1 : 0, std::min(size_, to + kLookahead))) {
            return false;
        }
        found.clear();
        findOpeners(loaded(), p, to, found);
        if (!found.empty()) {
            at = found.front().at;
            return true;
        }
    }
    at = size_;
    return true;
}

bool LogReader::entryAt(std::uint64_t start, Entry& out) {
    if (start < contentStart_ || start >= size_) {
        return false;
    }
    if (!load(start > 0 ? start - 1 : 0, std::min(size_, start + kLookahead))) {
        return false;
    }
    Opener opener;
    if (!lineStartAt(loaded(), start) || !openerAt(loaded(), start, opener) ||
        opener.type == OpenerType::LinkHeader) {
        return false;
    }
    Opener section;
    const bool haveSection = opener.type == OpenerType::LinkKey && sectionBefore(start, section);
    std::uint64_t end = size_;
    if (!nextOpenerAfter(start + 1, end)) {
        return false;
    }
    return makeEntry(opener, haveSection ? &section : nullptr, end, out);
}

} // namespace ziq::history
