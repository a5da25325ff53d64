#pragma once

#include "platform/clipboard.h"
#include "platform/clipboard_read_guard.h"

#include <memory>

class QObject;

namespace ziq {

// The system clipboard through Qt. A file list counts as holding no text, even where the
// file manager also offers the paths as text: rewriting it would lose the copied files.
class QtClipboard final : public Clipboard {
public:
    QtClipboard();
    ~QtClipboard() override;
    QtClipboard(const QtClipboard&) = delete;
    QtClipboard& operator=(const QtClipboard&) = delete;

    std::optional<QString> readText() override;
    bool hasText() override;
    bool isSecret() override;
    bool clear() override;
    bool writeText(const QString& text) override;
    std::optional<std::uint64_t> changeCount() override;

    // On X11 the clipboard's content lives in its owner. When the plain text on it is ours,
    // hand it to a small keeper process that serves it on after this program has ended.
    // Returns whether the keeper took it over.
    bool keepTextAfterExit();

private:
    std::optional<QString> readAnyText();

    ClipboardReadGuard guard_;
    std::uint64_t changes_ = 0;
    std::unique_ptr<QObject> context_; // ends the clipboard connection with this object
};

} // namespace ziq
