#include "platform/clipboard/native_clipboard.h"
#include "platform/clipboard/qt_clipboard.h"

#include <QCoreApplication>

#include <windows.h>

#include <chrono>
#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <thread>

namespace ziq {
namespace {

using namespace std::chrono_literals;

UINT named(const wchar_t* name) {
    return RegisterClipboardFormatW(name);
}

HWND messageWindow() {
    return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Another program's content, set by a window of its own on a thread of its own.
void offer(const std::wstring& text, const std::map<UINT, DWORD>& flags = {}) {
    std::thread([&] {
        HWND window = messageWindow();
        ASSERT_TRUE(OpenClipboard(window));
        EmptyClipboard();
        const auto put = [](UINT format, const void* bytes, std::size_t size) {
            HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
            std::memcpy(GlobalLock(memory), bytes, size);
            GlobalUnlock(memory);
            SetClipboardData(format, memory);
        };
        put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        for (const auto& [format, value] : flags) {
            put(format, &value, sizeof value);
        }
        CloseClipboard();
        DestroyWindow(window); // what it set stays
    }).join();
}

std::optional<DWORD> flag(UINT format) {
    if (!IsClipboardFormatAvailable(format) || !OpenClipboard(nullptr)) {
        return std::nullopt;
    }
    HANDLE memory = GetClipboardData(format);
    const DWORD value = *static_cast<const DWORD*>(GlobalLock(memory));
    GlobalUnlock(memory);
    CloseClipboard();
    return value;
}

// Another program holding the clipboard open, as Windows' clipboard history service does at
// every change, until released.
class ClipboardHold final {
public:
    ClipboardHold() {
        std::promise<void> held;
        thread_ = std::thread([this, &held] {
            HWND window = messageWindow();
            OpenClipboard(window);
            held.set_value();
            release_.get_future().wait();
            CloseClipboard();
            DestroyWindow(window);
        });
        held.get_future().wait();
    }
    ~ClipboardHold() { release(); }
    ClipboardHold(const ClipboardHold&) = delete;
    ClipboardHold& operator=(const ClipboardHold&) = delete;
    void release() {
        if (thread_.joinable()) {
            release_.set_value();
            thread_.join();
        }
    }

private:
    std::promise<void> release_;
    std::thread thread_;
};

TEST(NativeClipboard, AReplaceWaitsForAClipboardHeldOpenAndSaysWhenItGaveUp) {
    offer(L"copied");
    std::optional<ClipboardHold> hold(std::in_place);
    int pauses = 0;
    int releaseAt = 2; // the other program is done after two pauses
    auto clipboard = NativeClipboard::open([&](std::chrono::milliseconds pause) {
        EXPECT_EQ(pause, NativeClipboard::kBetweenTries);
        if (++pauses == releaseAt) {
            hold.reset();
        }
    });
    EXPECT_TRUE(clipboard->replaceWithText(QStringLiteral("plain")));
    EXPECT_EQ(pauses, 2);
    EXPECT_TRUE(clipboard->holdsOurText());

    hold.emplace();
    pauses = 0;
    releaseAt = 0; // never
    EXPECT_FALSE(clipboard->replaceWithText(QStringLiteral("never set")));
    EXPECT_EQ(pauses, NativeClipboard::kReplaceTries - 1);
    hold.reset();
    EXPECT_TRUE(clipboard->holdsOurText()) << "the former text is left as it was";
}

TEST(NativeClipboard, TheRewriteIsRenderedAndServedWithoutUs) {
    QtClipboard clipboard;
    offer(L"rich");
    ASSERT_TRUE(clipboard.replaceText(QStringLiteral("served while we are busy")));
    // Another thread pastes while this one answers no messages at all.
    auto paste = std::async(std::launch::async, [] {
        std::wstring text;
        if (OpenClipboard(nullptr)) {
            HANDLE memory = GetClipboardData(CF_UNICODETEXT);
            const auto* chars =
                memory != nullptr ? static_cast<const wchar_t*>(GlobalLock(memory)) : nullptr;
            if (chars != nullptr) {
                text = chars;
                GlobalUnlock(memory);
            }
            CloseClipboard();
        }
        return text;
    });
    const bool servedWithoutUs = paste.wait_for(20s) == std::future_status::ready;
    while (paste.wait_for(10ms) != std::future_status::ready) {
        QCoreApplication::processEvents(); // a paste that waits on us, as the toolkit's would
    }
    EXPECT_TRUE(servedWithoutUs);
    EXPECT_EQ(paste.get(), L"served while we are busy");
    EXPECT_TRUE(clipboard.keepTextAfterExit());
}

TEST(NativeClipboard, SecrecyAndTextOfAClipboardHeldOpenAreNoAnswer) {
    QtClipboard clipboard;
    const UINT history = named(L"CanIncludeInClipboardHistory");
    offer(L"hunter2", {{history, 1}});
    {
        ClipboardHold hold;
        EXPECT_EQ(clipboard.isSecret(), std::nullopt);
        EXPECT_EQ(clipboard.readText(), std::nullopt) << "a failed read is not an empty text";
        EXPECT_TRUE(clipboard.hasText());
    }
    EXPECT_EQ(clipboard.isSecret(), false);
    EXPECT_EQ(clipboard.readText(), QStringLiteral("hunter2"));

    offer(L"hunter2", {{history, 0}});
    EXPECT_EQ(clipboard.isSecret(), true);
    offer(L"hunter2", {{named(L"ExcludeClipboardContentFromMonitorProcessing"), 0}});
    ClipboardHold hold;
    EXPECT_EQ(clipboard.isSecret(), true) << "told by its presence alone";
}

TEST(NativeClipboard, TheRewriteStaysOffTheCloudAndHistoryWhereTheSourceWas) {
    QtClipboard clipboard;
    const UINT cloud = named(L"CanUploadToCloudClipboard");
    const UINT history = named(L"CanIncludeInClipboardHistory");
    offer(L"not for the cloud", {{cloud, 0}, {history, 1}});
    ASSERT_TRUE(clipboard.replaceText(QStringLiteral("not for the cloud")));
    EXPECT_EQ(flag(cloud), DWORD{0});
    EXPECT_EQ(flag(history), std::nullopt) << "only a flag that says no is carried";
    EXPECT_EQ(clipboard.readText(), QStringLiteral("not for the cloud"));

    offer(L"anywhere", {{cloud, 1}});
    ASSERT_TRUE(clipboard.replaceText(QStringLiteral("anywhere")));
    EXPECT_EQ(flag(cloud), std::nullopt);
}

} // namespace
} // namespace ziq
