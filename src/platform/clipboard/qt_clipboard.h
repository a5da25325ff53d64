#pragma once

#include "platform/clipboard/clipboard_read_guard.h"
#include "platform/clipboard/system_clipboard.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QObject;

namespace ziq {

class ClipboardSequence;
class NativeClipboard;

// The system clipboard through Qt. A file list counts as holding no text, even where the
// file manager also offers the paths as text: rewriting it would lose the copied files.
class QtClipboard final : public SystemClipboard {
public:
    QtClipboard();
    ~QtClipboard() override;
    QtClipboard(const QtClipboard&) = delete;
    QtClipboard& operator=(const QtClipboard&) = delete;

    std::optional<QString> readText() override;
    bool hasText() override;
    std::optional<bool> isSecret() override;
    bool clear() override;
    bool writeText(const QString& text) override;
    bool replaceText(const QString& text) override;
    std::optional<std::uint64_t> changeCount() override;

    // On X11 the clipboard's content lives in its owner; on Windows what the toolkit offers
    // unrendered does.
    bool keepTextAfterExit() override;

private:
    std::optional<QString> readAnyText(const std::function<bool()>& unchanged);
    bool secretNow();
    std::optional<std::uint32_t> sequenceNow();

    ClipboardReadGuard guard_;
    std::uint64_t changes_ = 0;
    std::optional<std::uint32_t> secretCheckedAt_; // the system's change count at isSecret()
    std::unique_ptr<QObject> context_;             // ends the clipboard connection with this object
    std::unique_ptr<ClipboardSequence> sequence_;  // where the system counts changes
    std::unique_ptr<NativeClipboard> native_;      // where the system is asked directly
};

} // namespace ziq
