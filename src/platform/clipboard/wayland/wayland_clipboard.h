#pragma once

#include "platform/clipboard/clipboard_read_guard.h"
#include "platform/clipboard/system_clipboard.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

namespace ziq {

class DataControl;
class DataControlThread;
struct SelectionLook;

// The Wayland clipboard through the compositor's data control, which lets a program read and
// set the selection in the background, without keyboard focus. The connection runs on a
// thread of its own (DataControlThread); what it finds comes back as queued events, so a
// read never holds the GUI thread. A read not answered yet says so through answerPending().
// While data control is lost and not back yet, the toolkit's clipboard stands in.
class WaylandClipboard final : public SystemClipboard {
public:
    using Connector = std::function<std::unique_ptr<DataControl>()>;
    using Now = std::function<ClipboardReadGuard::Clock::time_point()>;

    // Nothing where the session offers no data control.
    static std::unique_ptr<WaylandClipboard> connect();

    // `reconnect` makes a new connection when the one in use is lost (on the worker thread);
    // `now` is the clock that says when an owner that did not answer is asked again.
    WaylandClipboard(std::unique_ptr<DataControl> control, Connector reconnect,
                     Now now = &ClipboardReadGuard::Clock::now);
    ~WaylandClipboard() override;
    WaylandClipboard(const WaylandClipboard&) = delete;
    WaylandClipboard& operator=(const WaylandClipboard&) = delete;

    std::optional<QString> readText() override;
    bool hasText() override;
    std::optional<bool> isSecret() override;
    bool clear() override;
    bool writeText(const QString& text) override;
    std::optional<std::uint64_t> changeCount() override;
    bool answerPending() override { return lookAsked_; }
    void whenAnswered(QObject* context, std::function<void()> resume) override;
    bool keepTextAfterExit() override;
    void setNotice(std::function<void(const QString& notice)> tell) override;

private:
    // The toolkit's clipboard, while data control is lost; null while it works.
    Clipboard* standIn();

    // The look at the selection as it was at the count last reported; asked for when missing,
    // or when its text did not come and the guard's wait for that owner is over.
    const SelectionLook* currentLook();
    void looked(SelectionLook look);

    std::unique_ptr<QObject> context_; // receives the thread's results
    std::unique_ptr<DataControlThread> thread_;
    ClipboardReadGuard guard_;
    Now now_;
    std::uint64_t changes_ = 0;
    std::unique_ptr<SelectionLook> look_;
    QString lookText_;
    std::unique_ptr<SystemClipboard> qt_;
    std::function<void(const QString&)> tell_;
    bool told_ = false;
    bool lookAsked_ = false;
    QPointer<QObject> resumeContext_;
    std::function<void()> resume_;
};

} // namespace ziq
