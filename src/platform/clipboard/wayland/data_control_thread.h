#pragma once

#include "platform/clipboard/pipe_io.h"
#include "platform/clipboard/wayland/data_control.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace ziq {

// What the selection held when it was looked at.
struct SelectionLook {
    std::uint64_t changes = 0; // the change count it belongs to
    bool secret = false;
    bool fileList = false;
    bool text = false; // plain text is offered
    PipeRead read;     // how reading that text went, unless the content is secret or a file list
    QString plainText; // that text, decoded as it came, when it came whole
    std::chrono::steady_clock::duration took{};
};

// The compositor's data control on a thread of its own, which takes in the compositor's
// events, serves our selection to every paste and reads the selection. Nothing there waits
// on the GUI thread, which may hold the other end of a transfer: our own windows copy and
// paste through the toolkit's connection, served by the GUI thread.
//
// A connection that breaks, or whose data control the compositor ends or withdraws, is
// replaced by a new one, tried after a growing delay (1 s up to 30 s).
class DataControlThread final {
public:
    using Connector = std::function<std::unique_ptr<DataControl>()>;
    // These run on the worker thread.
    using Looked = std::function<void(SelectionLook)>;
    using UsableChanged = std::function<void(bool usable)>;

    DataControlThread(std::unique_ptr<DataControl> control, Connector reconnect, Looked looked,
                      UsableChanged usableChanged);
    ~DataControlThread();
    DataControlThread(const DataControlThread&) = delete;
    DataControlThread& operator=(const DataControlThread&) = delete;

    bool usable() const { return usable_; }
    // The change count, once what the compositor has sent so far is taken in.
    std::uint64_t changes();
    // Looks at the selection in the background; `looked` hears the outcome. A text longer
    // than `maxTextBytes` is not read to its end.
    void look(std::size_t maxTextBytes);
    // Served as UTF-8, made a piece at a time while each paste takes it.
    void setText(const QString& text);
    void clear();
    // Our text while the selection is still ours, once the compositor has handled every
    // request so far; nothing otherwise.
    std::optional<QString> ownText();

private:
    void run();
    bool live() const { return control_ != nullptr && control_->usable(); }
    std::uint64_t count() const { return base_ + (control_ ? control_->changes() : 0); }
    // Drops a connection that has become unusable, and makes a new one when it is time.
    void keepConnected();
    void post(std::function<void()> job);
    void call(const std::function<void()>& job);
    void runJobs();

    // The steps of a look, one read at a time.
    void startLook(std::size_t maxTextBytes);
    void readMarkers(std::size_t at);
    void checkFileList();
    void readText();
    void finishLook();
    void receive(const std::string& type, std::size_t maxBytes, std::function<void(PipeRead)> done,
                 QString* decodeTo = nullptr);
    void readOn();

    std::unique_ptr<DataControl> control_;
    Connector reconnect_;
    Looked looked_;
    UsableChanged usableChanged_;
    // What earlier connections counted, so that the count only ever moves on.
    std::uint64_t base_ = 0;
    std::chrono::seconds retryDelay_{1};
    std::chrono::steady_clock::time_point retryAt_;
    int wake_;
    std::mutex mutex_;
    std::deque<std::function<void()>> jobs_;
    std::atomic<bool> usable_;
    std::atomic<std::uint64_t> lastCount_ = 0; // while there is no connection
    bool stop_ = false;

    bool looking_ = false;
    SelectionLook look_;
    QString ownText_; // what we set last
    std::chrono::steady_clock::time_point lookStarted_;
    std::size_t maxTextBytes_ = 0;
    std::vector<std::string> types_;
    std::vector<std::string> markers_;
    std::map<std::string, std::string> markerData_;
    struct Read {
        int fd;
        std::size_t maxBytes;
        std::chrono::steady_clock::time_point deadline;
        std::function<void(PipeRead)> done;
        // Where a text is decoded to as it comes, so that it is never held whole as bytes;
        // else the bytes are kept.
        QString* decodeTo = nullptr;
        std::string bytes;
        std::size_t taken = 0;
        std::string unfinished; // the start of a character whose rest is still to come
    };
    std::optional<Read> read_;

    std::thread thread_; // last: starts once everything above is in place
};

} // namespace ziq
