#include "profile/line_scanner.h"

#include <algorithm>

namespace ziq::profile {

std::string_view lineBreakText(LineBreak lineBreak) {
    switch (lineBreak) {
    case LineBreak::Lf:
        return "\n";
    case LineBreak::Cr:
        return "\r";
    case LineBreak::CrLf:
        return "\r\n";
    case LineBreak::None:
        break;
    }
    return {};
}

bool LineSinkPair::onLine(const Line& line) {
    if (!firstDone_) {
        firstDone_ = !first_.onLine(line);
    }
    if (!secondDone_) {
        secondDone_ = !second_.onLine(line);
    }
    return !(firstDone_ && secondDone_);
}

bool LineScanner::deliver(std::string_view text, LineBreak lineBreak, LineSink& sink) {
    const Line line{lineStart_, text, lineBreak};
    lineOpen_ = false;
    pendingCr_ = false;
    const bool more = sink.onLine(line);
    partial_.clear();
    return more;
}

namespace {

// Finds line breaks with one memchr per CR and per LF, each position kept until passed:
// searching for either byte at every position costs a call per byte, and searching the text
// anew for a CR it does not hold would read it to its end again for every line.
class BreakFinder {
public:
    explicit BreakFinder(std::string_view bytes)
        : bytes_(bytes), cr_(bytes.find('\r')), lf_(bytes.find('\n')) {}

    // The first CR or LF at or after `from`, or npos.
    std::size_t next(std::size_t from) {
        if (cr_ < from) {
            cr_ = bytes_.find('\r', from);
        }
        if (lf_ < from) {
            lf_ = bytes_.find('\n', from);
        }
        return std::min(cr_, lf_);
    }

private:
    std::string_view bytes_;
    std::size_t cr_;
    std::size_t lf_;
};

} // namespace

bool LineScanner::feed(std::string_view bytes, LineSink& sink) {
    BreakFinder breaks(bytes);
    std::size_t pos = 0;
    if (pendingCr_ && !bytes.empty()) {
        const bool crlf = bytes.front() == '\n';
        pos = crlf ? 1 : 0;
        if (!deliver(partial_, crlf ? LineBreak::CrLf : LineBreak::Cr, sink)) {
            offset_ += pos;
            return false;
        }
    }
    while (pos < bytes.size()) {
        const std::size_t stop = breaks.next(pos);
        if (!lineOpen_) {
            lineOpen_ = true;
            lineStart_ = offset_ + pos;
        }
        if (stop == std::string_view::npos) {
            partial_.append(bytes.substr(pos));
            break;
        }
        std::string_view text = bytes.substr(pos, stop - pos);
        if (!partial_.empty()) {
            partial_.append(text);
            text = partial_;
        }
        LineBreak lineBreak = LineBreak::Lf;
        std::size_t next = stop + 1;
        if (bytes[stop] == '\r') {
            if (next == bytes.size()) {
                // The LF of a CRLF may open the next chunk.
                if (text.data() != partial_.data()) {
                    partial_.assign(text);
                }
                pendingCr_ = true;
                break;
            }
            lineBreak = LineBreak::Cr;
            if (bytes[next] == '\n') {
                lineBreak = LineBreak::CrLf;
                ++next;
            }
        }
        if (!deliver(text, lineBreak, sink)) {
            offset_ += next;
            return false;
        }
        pos = next;
    }
    offset_ += bytes.size();
    return true;
}

bool LineScanner::finish(LineSink& sink) {
    if (pendingCr_) {
        return deliver(partial_, LineBreak::Cr, sink);
    }
    if (lineOpen_) {
        return deliver(partial_, LineBreak::None, sink);
    }
    return true;
}

} // namespace ziq::profile
