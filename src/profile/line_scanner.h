#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Splits file bytes into lines. CRLF, a lone CR and a lone LF each end a line. Bytes may come
// in chunks of any size: a line, or a CRLF pair, may straddle two chunks.
namespace ziq::profile {

enum class LineBreak : std::uint8_t { None, Lf, Cr, CrLf };

std::string_view lineBreakText(LineBreak lineBreak);

struct Line {
    std::uint64_t start = 0; // offset of the line's first byte in the file
    std::string_view text;   // the line without its line break; valid during the call only
    LineBreak lineBreak = LineBreak::None;

    std::uint64_t contentEnd() const { return start + text.size(); }
    std::uint64_t end() const { return contentEnd() + lineBreakText(lineBreak).size(); }
};

class LineSink {
public:
    // Returns false when it needs no more lines.
    virtual bool onLine(const Line& line) = 0;

protected:
    ~LineSink() = default;
};

// Hands each line to two sinks until both are satisfied.
class LineSinkPair final : public LineSink {
public:
    LineSinkPair(LineSink& first, LineSink& second) : first_(first), second_(second) {}
    bool onLine(const Line& line) override;

private:
    LineSink& first_;
    LineSink& second_;
    bool firstDone_ = false;
    bool secondDone_ = false;
};

class LineScanner {
public:
    explicit LineScanner(std::uint64_t startOffset = 0) : offset_(startOffset) {}

    // Both return false when the sink asked to stop.
    bool feed(std::string_view bytes, LineSink& sink);
    // Delivers the last line when the bytes did not end with a line break.
    bool finish(LineSink& sink);

private:
    bool deliver(std::string_view text, LineBreak lineBreak, LineSink& sink);

    std::uint64_t offset_; // file offset of the next byte fed
    std::uint64_t lineStart_ = 0;
    std::string partial_;    // start of a line that a chunk boundary cut
    bool lineOpen_ = false;  // partial_ holds a line (possibly empty, ending in CR)
    bool pendingCr_ = false; // the open line ended in CR; an LF may still follow
};

} // namespace ziq::profile
