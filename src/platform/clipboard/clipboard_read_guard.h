#pragma once

#include <chrono>
#include <cstddef>

namespace ziq {

// Keeps a hostile or hung clipboard owner from freezing the program. On X11 every read waits
// for the owner, up to the toolkit's own timeout (5 s), and a tick makes several reads. Once
// one read of the current content came back empty only after a long wait, or brought a text
// too large to capture, that content is refused without asking again until the clipboard
// changes (or, should no change ever be reported, until a while has passed).
class ClipboardReadGuard final {
public:
    using Clock = std::chrono::steady_clock;

    // Larger texts are not captured: a log entry of gigabytes helps nobody, and the copies
    // a capture makes would risk the program's memory.
    static constexpr std::size_t kMaxTextLength = std::size_t{64} * 1024 * 1024;
    // Empty after this long means the owner did not answer in time.
    static constexpr Clock::duration kUnansweredAfter = std::chrono::seconds(2);
    static constexpr Clock::duration kAskAgainAfter = std::chrono::seconds(60);

    // A new owner or new content: ask again.
    void contentChanged() { refused_ = false; }

    // Whether the current content may be read at all.
    bool mayRead(Clock::time_point now) const {
        return !refused_ || now - refusedAt_ >= kAskAgainAfter;
    }

    // Records a read that started at `started` and ended at `now`.
    void readDone(Clock::time_point started, Clock::time_point now, bool gotNothing) {
        if (gotNothing && now - started >= kUnansweredAfter) {
            refuse(now);
        }
    }

    // False (and the content refused) when a text of `length` characters is too large.
    bool acceptLength(std::size_t length, Clock::time_point now) {
        if (length <= kMaxTextLength) {
            return true;
        }
        refuse(now);
        return false;
    }

private:
    void refuse(Clock::time_point now) {
        refused_ = true;
        refusedAt_ = now;
    }

    bool refused_ = false;
    Clock::time_point refusedAt_{};
};

} // namespace ziq
