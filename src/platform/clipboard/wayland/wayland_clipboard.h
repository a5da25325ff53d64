#pragma once

#include "platform/clipboard/clipboard_read_guard.h"
#include "platform/clipboard/system_clipboard.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

class QSocketNotifier;
class QTimer;

namespace ziq {

class DataControl;

// The Wayland clipboard through the compositor's data control, which lets a program read and
// set the selection in the background, without keyboard focus. Runs in the Qt event loop:
// the compositor's events are taken in whenever its socket has something.
class WaylandClipboard final : public SystemClipboard {
public:
    // Nothing where the session offers no data control.
    static std::unique_ptr<WaylandClipboard> connect();

    explicit WaylandClipboard(std::unique_ptr<DataControl> control);
    ~WaylandClipboard() override;
    WaylandClipboard(const WaylandClipboard&) = delete;
    WaylandClipboard& operator=(const WaylandClipboard&) = delete;

    std::optional<QString> readText() override;
    bool hasText() override;
    bool isSecret() override;
    bool clear() override;
    bool writeText(const QString& text) override;
    std::optional<std::uint64_t> changeCount() override;
    bool keepTextAfterExit() override;

private:
    void takeEvents();
    void watchDeliveries();
    std::optional<std::string> textType();
    bool isFileList();
    std::optional<std::string> readSmall(const std::string& type);

    std::unique_ptr<DataControl> control_;
    std::unique_ptr<QSocketNotifier> events_;
    // Pipes that still take a text we serve, by descriptor; and a look now and then at those
    // whose reader stopped reading.
    std::map<int, std::unique_ptr<QSocketNotifier>> deliveries_;
    std::unique_ptr<QTimer> overdue_;
    ClipboardReadGuard guard_;
    // Whether the current selection is a file list, once asked.
    std::optional<std::pair<std::uint64_t, bool>> fileList_;
};

} // namespace ziq
