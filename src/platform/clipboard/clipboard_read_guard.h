#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>

namespace ziq {

// Keeps a hostile or hung clipboard owner from freezing the program. On X11 every read waits
// for the owner, up to the toolkit's own timeout (5 s), and a tick makes several reads. Once
// one read of the current content came back empty only after a long wait, or brought a text
// too large to capture, that content is refused until the clipboard changes, or until a
// while has passed. That while starts short, as an honest owner on a busy machine can be
// slow once and the user's copy should be logged a few seconds late rather than not at all,
// and doubles with each refusal of the same content, so that an owner that never answers is
// asked about once a minute in the long run. On Wayland reads wait in the background, and
// the same schedule says when a read that failed is tried again.
class ClipboardReadGuard final {
public:
    using Clock = std::chrono::steady_clock;

    // Larger texts are not captured: a log entry of gigabytes helps nobody, and the copies
    // a capture makes would risk the program's memory.
    static constexpr std::size_t kMaxTextLength = std::size_t{64} * 1024 * 1024;
    // Empty after this long means the owner did not answer in time.
    static constexpr Clock::duration kUnansweredAfter = std::chrono::seconds(2);
    static constexpr Clock::duration kFirstAskAgainAfter = std::chrono::seconds(2);
    static constexpr Clock::duration kLongestAskAgainAfter = std::chrono::seconds(60);

    // A new owner or new content: ask again, and be patient with it from the start.
    void contentChanged() {
        refused_ = false;
        askAgainAfter_ = Clock::duration::zero();
    }

    // Whether the current content may be read at all.
    bool mayRead(Clock::time_point now) const {
        return !refused_ || now - refusedAt_ >= askAgainAfter_;
    }

    // Records a read that started at `started` and ended at `now`.
    void readDone(Clock::time_point started, Clock::time_point now, bool gotNothing) {
        if (gotNothing && now - started >= kUnansweredAfter) {
            refuse(now);
        }
    }

    // Records a read that failed outright, by the reader's own deadline or an error: refused
    // as one that came back empty after a long wait.
    void readFailed(Clock::time_point now) { refuse(now); }

    // False (and the content refused) when a text of `length` characters is too large.
    bool acceptLength(std::size_t length, Clock::time_point now) {
        if (length <= kMaxTextLength) {
            return true;
        }
        // Asking again soon would bring the same text: no patience to be had here.
        refused_ = true;
        refusedAt_ = now;
        askAgainAfter_ = kLongestAskAgainAfter;
        return false;
    }

private:
    void refuse(Clock::time_point now) {
        // Several reads of one tick may each give up on the same owner: one refusal.
        if (!refused_ || now - refusedAt_ >= askAgainAfter_) {
            askAgainAfter_ = askAgainAfter_ == Clock::duration::zero()
                                 ? kFirstAskAgainAfter
                                 : std::min(askAgainAfter_ * 2, kLongestAskAgainAfter);
        }
        refused_ = true;
        refusedAt_ = now;
    }

    bool refused_ = false;
    Clock::time_point refusedAt_{};
    Clock::duration askAgainAfter_ = Clock::duration::zero();
};

} // namespace ziq
