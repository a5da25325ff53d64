#include "platform/clipboard/native_clipboard.h"

#include "platform/clipboard/secret_clipboard.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace ziq {

namespace {

// What a source sets to DWORD 0 to keep its content off Windows' clipboard history and off
// the cloud clipboard.
constexpr std::array<const wchar_t*, 2> kKeptOffFlags{L"CanIncludeInClipboardHistory",
                                                      L"CanUploadToCloudClipboard"};

UINT formatNamed(const std::string& name) {
    return RegisterClipboardFormatW(QString::fromStdString(name).toStdWString().c_str());
}

HGLOBAL globalCopy(const void* bytes, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    void* target = memory != nullptr ? GlobalLock(memory) : nullptr;
    if (target == nullptr) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(memory);
    return memory;
}

// The bytes of one format; the clipboard is open. Nothing when the owner did not render it.
std::optional<std::string> dataOf(UINT format) {
    HANDLE memory = GetClipboardData(format);
    const void* bytes = memory != nullptr ? GlobalLock(memory) : nullptr;
    if (bytes == nullptr) {
        return std::nullopt;
    }
    std::string copy(static_cast<const char*>(bytes), GlobalSize(memory));
    GlobalUnlock(memory);
    return copy;
}

// The clipboard open for one transaction: fails while another window holds it open.
class OpenClipboardFor final {
public:
    explicit OpenClipboardFor(HWND window) : open_(OpenClipboard(window) != FALSE) {}
    ~OpenClipboardFor() { close(); }
    OpenClipboardFor(const OpenClipboardFor&) = delete;
    OpenClipboardFor& operator=(const OpenClipboardFor&) = delete;
    bool isOpen() const { return open_; }
    bool close() { return std::exchange(open_, false) && CloseClipboard() != FALSE; }

private:
    bool open_;
};

// A window that owns what it puts on the clipboard while it lives. Once it is gone the
// rendered text stays with the system, and another program that empties the clipboard
// sends nothing to our GUI thread.
class OwnerWindow final {
public:
    OwnerWindow()
        : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr)) {}
    ~OwnerWindow() {
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND handle() const { return window_; }

private:
    HWND window_;
};

class WindowsClipboard final : public NativeClipboard {
public:
    explicit WindowsClipboard(Pause pause)
        : pause_(pause ? std::move(pause) : [](std::chrono::milliseconds wait) {
              Sleep(static_cast<DWORD>(wait.count()));
          }) {}

    std::optional<bool> isSecret() override {
        std::vector<std::string> offered;
        for (const std::string& marker : secretMarkerFormats()) {
            if (IsClipboardFormatAvailable(formatNamed(marker)) != FALSE) {
                offered.push_back(marker);
            }
        }
        if (offered.empty()) {
            return false;
        }
        // A marker whose value counts is read with the clipboard open.
        std::optional<OpenClipboardFor> open;
        bool unopened = false;
        const bool secret = isSecretClipboard(offered, [&](const std::string& marker) {
            if (!open) {
                open.emplace(nullptr);
            }
            unopened = !open->isOpen();
            return unopened ? std::nullopt : dataOf(formatNamed(marker));
        });
        return unopened ? std::nullopt : std::optional(secret);
    }

    bool textOffered() override {
        return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE ||
               IsClipboardFormatAvailable(CF_TEXT) != FALSE;
    }

    bool replaceWithText(const QString& text) override {
        if (!replaceTrying(text)) {
            return false;
        }
        ours_ = GetClipboardSequenceNumber();
        return true;
    }

    bool holdsOurText() override {
        return ours_ && GetClipboardSequenceNumber() == *ours_ &&
               IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
    }

private:
    bool replaceTrying(const QString& text) {
        const OwnerWindow owner;
        for (int tried = 1; owner.handle() != nullptr; ++tried) {
            if (const std::optional<bool> done = replaceOnce(text, owner.handle())) {
                return *done;
            }
            if (tried == kReplaceTries) {
                return false;
            }
            pause_(kBetweenTries);
        }
        return false;
    }

    // Nothing when another program holds the clipboard open.
    static std::optional<bool> replaceOnce(const QString& text, HWND owner) {
        OpenClipboardFor open(owner);
        if (!open.isOpen()) {
            return std::nullopt;
        }
        const std::vector<UINT> keptOff = keptOffFlags();
        if (EmptyClipboard() == FALSE) {
            return false;
        }
        bool set = put(CF_UNICODETEXT, text.utf16(), (std::size_t(text.size()) + 1) * 2);
        for (const UINT flag : keptOff) {
            const DWORD no = 0;
            set = put(flag, &no, sizeof no) && set;
        }
        // Emptying made our window the owner, unless it failed; then the text is not ours.
        const bool ours = GetClipboardOwner() == owner;
        return open.close() && set && ours;
    }

    // The flags of the content about to be replaced that keep it off history or the cloud.
    static std::vector<UINT> keptOffFlags() {
        std::vector<UINT> flags;
        for (const wchar_t* name : kKeptOffFlags) {
            const UINT format = RegisterClipboardFormatW(name);
            if (IsClipboardFormatAvailable(format) == FALSE) {
                continue;
            }
            const std::optional<std::string> value = dataOf(format);
            if (value && value->size() >= sizeof(DWORD) &&
                std::all_of(value->begin(), value->begin() + sizeof(DWORD),
                            [](char byte) { return byte == '\0'; })) {
                flags.push_back(format);
            }
        }
        return flags;
    }

    static bool put(UINT format, const void* bytes, std::size_t size) {
        HGLOBAL memory = globalCopy(bytes, size);
        if (memory == nullptr) {
            return false;
        }
        if (SetClipboardData(format, memory) == nullptr) {
            GlobalFree(memory); // still ours when the system did not take it
            return false;
        }
        return true;
    }

    Pause pause_;
    std::optional<DWORD> ours_; // the system's change count once our latest text was set
};

} // namespace

std::unique_ptr<NativeClipboard> NativeClipboard::open(Pause pause) {
    return std::make_unique<WindowsClipboard>(std::move(pause));
}

} // namespace ziq
