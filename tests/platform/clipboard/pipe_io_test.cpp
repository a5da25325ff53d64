#include "platform/clipboard/pipe_io.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace ziq {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Both ends of a pipe, closed with the test.
struct Pipe {
    Pipe() { EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0); }
    ~Pipe() {
        closeWriter();
        closeReader();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void closeWriter() {
        if (ends[1] >= 0) {
            ::close(ends[1]);
            ends[1] = -1;
        }
    }
    void closeReader() {
        if (ends[0] >= 0) {
            ::close(ends[0]);
            ends[0] = -1;
        }
    }
    int reader() const { return ends[0]; }
    int writer() const { return ends[1]; }
    int ends[2] = {-1, -1};
};

TEST(PipeIo, ReadsWhatTheWriterSentUpToItsEnd) {
    Pipe pipe;
    ASSERT_TRUE(writePipe(pipe.writer(), "plain text\n", Clock::now() + 5s));
    pipe.closeWriter();
    const PipeRead got = readPipe(pipe.reader(), 1024, Clock::now() + 5s);
    EXPECT_EQ(got.status, PipeRead::Status::Complete);
    EXPECT_EQ(got.bytes, "plain text\n");
}

TEST(PipeIo, AWriterThatNeverFinishesFailsAtTheDeadline) {
    Pipe pipe;
    ASSERT_TRUE(writePipe(pipe.writer(), "half of it", Clock::now() + 5s));
    // The write end stays open and silent, as with a hung clipboard owner.
    const PipeRead got = readPipe(pipe.reader(), 1024, Clock::now() + 200ms);
    EXPECT_EQ(got.status, PipeRead::Status::Failed);
    EXPECT_TRUE(got.bytes.empty());
}

TEST(PipeIo, MoreThanTheLimitIsRefusedWithoutKeepingIt) {
    Pipe pipe;
    const std::string big(5000, 'x');
    ASSERT_TRUE(writePipe(pipe.writer(), big, Clock::now() + 5s));
    pipe.closeWriter();
    PipeRead got = readPipe(pipe.reader(), big.size() - 1, Clock::now() + 5s);
    EXPECT_EQ(got.status, PipeRead::Status::TooLarge);
    EXPECT_TRUE(got.bytes.empty());
}

TEST(PipeIo, AReaderThatGoesAwayOrStopsReadingEndsTheWrite) {
    {
        Pipe pipe;
        pipe.closeReader();
        // Would kill the process with SIGPIPE if it were let through.
        EXPECT_FALSE(writePipe(pipe.writer(), "nobody listens", Clock::now() + 5s));
        sigset_t pending;
        sigpending(&pending);
        EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
    }
    {
        Pipe pipe;
        // Far more than a pipe holds, and nobody reads it.
        const std::string big(4 * 1024 * 1024, 'x');
        EXPECT_FALSE(writePipe(pipe.writer(), big, Clock::now() + 200ms));
    }
}

TEST(PipeIo, WritingWhatFitsNeverWaits) {
    Pipe pipe;
    const std::string big(4 * 1024 * 1024, 'x');
    const std::optional<std::size_t> first = writeAvailable(pipe.writer(), big);
    ASSERT_TRUE(first.has_value());
    EXPECT_GT(*first, 0u);
    EXPECT_LT(*first, big.size());
    // Full now: nothing more goes in, and that is no failure.
    EXPECT_EQ(writeAvailable(pipe.writer(), big), std::optional<std::size_t>(0));
    pipe.closeReader();
    EXPECT_EQ(writeAvailable(pipe.writer(), big), std::nullopt);
}

} // namespace
} // namespace ziq
