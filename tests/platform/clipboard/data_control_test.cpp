#include "platform/clipboard/wayland/data_control.h"

#include "support/fake_compositor.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

namespace ziq {
namespace {

using namespace std::chrono_literals;
using test::DataControlKind;
using test::FakeCompositor;

class DataControlTest : public testing::TestWithParam<DataControlKind> {
protected:
    void SetUp() override {
        control = DataControl::connectTo(compositor.connectClient(), 10s);
        ASSERT_NE(control, nullptr);
    }
    // Takes in the compositor's events until `done`, or fails after a generous while.
    bool dispatchUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline || !control->dispatch(50ms)) {
                return done();
            }
        }
        return true;
    }
    // Reads `fd` to its end while we serve it, and closes it.
    std::string readToEnd(int fd) {
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
        std::string got;
        dispatchUntil([&] {
            char buffer[65536];
            ssize_t n = 0;
            while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
                got.append(buffer, std::size_t(n));
            }
            return n == 0;
        });
        ::close(fd);
        return got;
    }
    // A paste from the compositor's side.
    std::string paste(const std::string& type) { return readToEnd(compositor.paste(type)); }

    FakeCompositor compositor{GetParam()};
    std::unique_ptr<DataControl> control;
};

TEST_P(DataControlTest, ReadsTheTextOfASelectionWithManyTypes) {
    FakeCompositor::Contents contents;
    for (int i = 0; i < 200; ++i) {
        contents.emplace_back("application/x-type-" + std::to_string(i), "x");
    }
    contents.emplace_back("text/plain;charset=utf-8", "one of many");
    compositor.copy(contents);
    ASSERT_TRUE(dispatchUntil([&] { return control->types().size() == 201; }));
    const PipeRead got = control->receive("text/plain;charset=utf-8", 1024, 10s);
    EXPECT_EQ(got.status, PipeRead::Status::Complete);
    EXPECT_EQ(got.bytes, "one of many");
}

TEST_P(DataControlTest, ASelectionThatReplacesOursIsNewsInEitherEventOrder) {
    for (const bool cancelledFirst : {true, false}) {
        compositor.setCancelledFirst(cancelledFirst);
        control->setSelection(DataControl::plainText("ours"));
        ASSERT_TRUE(control->roundtrip(10s));
        const std::uint64_t ours = control->changes();
        ASSERT_TRUE(control->ownsSelection());
        ASSERT_TRUE(compositor.selectionIsAClients());
        EXPECT_EQ(paste("text/plain"), "ours");
        EXPECT_EQ(control->changes(), ours) << "our own selection is no news";

        compositor.copy({{"text/plain;charset=utf-8", "theirs"}});
        ASSERT_TRUE(control->roundtrip(10s));
        EXPECT_GT(control->changes(), ours) << "cancelled first: " << cancelledFirst;
        EXPECT_FALSE(control->ownsSelection());
        EXPECT_EQ(control->receive("text/plain;charset=utf-8", 1024, 10s).bytes, "theirs");
    }
}

TEST_P(DataControlTest, PastesThatStallGetTheWholeTextLaterOrNothing) {
    const std::string text(4 * 1024 * 1024, 'p');
    control->setSelection(DataControl::plainText(text));
    ASSERT_TRUE(control->roundtrip(10s));
    // Readers that take nothing for now hold every place for a paste under way.
    std::vector<int> stalled;
    while (control->deliveryFds().size() < 64) {
        const std::size_t before = control->deliveryFds().size();
        stalled.push_back(compositor.paste("text/plain"));
        ASSERT_TRUE(dispatchUntil([&] { return control->deliveryFds().size() > before; }));
    }
    // One more gets nothing rather than a part, and the stalled ones lose nothing.
    EXPECT_EQ(paste("text/plain"), "");
    EXPECT_EQ(control->deliveryFds().size(), 64u);
    const int first = stalled.front();
    stalled.erase(stalled.begin());
    for (const int fd : stalled) {
        ::close(fd);
    }
    EXPECT_EQ(readToEnd(first).size(), text.size());
}

TEST_P(DataControlTest, TheEndsOfDataControlAreNoticed) {
    compositor.finishDevices();
    EXPECT_TRUE(dispatchUntil([&] { return !control->usable(); }));

    control = DataControl::connectTo(compositor.connectClient(), 10s);
    ASSERT_NE(control, nullptr);
    compositor.closeClients();
    EXPECT_TRUE(dispatchUntil([&] { return !control->usable(); }));
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, DataControlTest,
                         testing::Values(DataControlKind::Ext, DataControlKind::Wlr),
                         test::kindName<testing::TestParamInfo<DataControlKind>>);

} // namespace
} // namespace ziq
