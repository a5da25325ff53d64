#include "platform/clipboard/wayland/data_control_thread.h"

#include "platform/clipboard/secret_clipboard.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <future>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace ziq {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Most wanted first.
constexpr std::array<const char*, 3> kTextTypes{"text/plain;charset=utf-8", "UTF8_STRING",
                                                "text/plain"};
// An owner that has not answered by then is not waited for.
constexpr auto kReadTimeout = 3s;
constexpr std::size_t kMaxSmallBytes = 1024 * 1024;

// A text served as UTF-8 made a piece at a time while a paste takes it, so that it is held
// once, in the form the program holds it.
class Utf8Pieces final : public DataControl::Content {
public:
    explicit Utf8Pieces(QString text) : text_(std::move(text)) {}
    std::function<std::string_view()> pieces() const override {
        return [text = text_, at = qsizetype(0), piece = QByteArray()]() mutable {
            constexpr qsizetype kPieceLength = 32 * 1024;
            qsizetype length = std::min(kPieceLength, text.size() - at);
            if (length > 1 && at + length < text.size() &&
                text.at(at + length - 1).isHighSurrogate()) {
                --length; // a surrogate pair is one character: never cut between its halves
            }
            piece = QStringView(text).sliced(at, length).toUtf8();
            at += length;
            return std::string_view(piece.constData(), std::size_t(piece.size()));
        };
    }

private:
    QString text_;
};

// How many bytes at the end of `bytes` begin a UTF-8 character whose rest has not come yet.
std::size_t unfinishedTail(std::string_view bytes) {
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, bytes.size()); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80) {
            continue; // a continuation byte: its character starts further back
        }
        const std::size_t length = byte >= 0xF8   ? 1
                                   : byte >= 0xF0 ? 4
                                   : byte >= 0xE0 ? 3
                                   : byte >= 0xC0 ? 2
                                                  : 1;
        return length > back ? back : 0;
    }
    return 0;
}

bool offers(const std::vector<std::string>& types, const std::string& type) {
    return std::find(types.begin(), types.end(), type) != types.end();
}

// A uri-list of local files only, the way file managers copy files.
bool onlyLocalFiles(const std::string& uriList) {
    bool any = false;
    std::size_t start = 0;
    while (start < uriList.size()) {
        std::size_t end = uriList.find('\n', start);
        if (end == std::string::npos) {
            end = uriList.size();
        }
        std::string line = uriList.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line.rfind("file:", 0) != 0) {
            return false;
        }
        any = true;
    }
    return any;
}

} // namespace

DataControlThread::DataControlThread(std::unique_ptr<DataControl> control, Connector reconnect,
                                     Looked looked, UsableChanged usableChanged)
    : control_(std::move(control)), reconnect_(std::move(reconnect)), looked_(std::move(looked)),
      usableChanged_(std::move(usableChanged)), wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      usable_(live()), thread_([this] { run(); }) {}

DataControlThread::~DataControlThread() {
    post([this] { stop_ = true; });
    thread_.join();
    if (read_) {
        ::close(read_->fd);
    }
    ::close(wake_);
}

void DataControlThread::post(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    eventfd_write(wake_, 1);
}

void DataControlThread::call(const std::function<void()>& job) {
    // Nothing on the worker thread waits on anyone without a deadline, so neither does this.
    std::promise<void> done;
    post([&] {
        job();
        done.set_value();
    });
    done.get_future().wait();
}

void DataControlThread::runJobs() {
    eventfd_t count = 0;
    eventfd_read(wake_, &count);
    std::unique_lock lock(mutex_);
    while (!jobs_.empty()) {
        auto job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

void DataControlThread::run() {
    while (!stop_) {
        keepConnected();
        std::array<pollfd, 2> others{{{wake_, POLLIN, 0}, {read_ ? read_->fd : -1, POLLIN, 0}}};
        std::optional<Clock::time_point> until;
        if (read_) {
            until = read_->deadline;
        }
        if (!live() && reconnect_) {
            until = until ? std::min(*until, retryAt_) : retryAt_;
        }
        std::chrono::milliseconds timeout(-1);
        if (until) {
            timeout = std::max(std::chrono::milliseconds(0),
                               std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now()));
        }
        if (live()) {
            control_->dispatch(timeout, others);
        } else {
            ::poll(others.data(), others.size(), int(timeout.count()));
        }
        if (read_) {
            readOn();
        }
        if (others[0].revents != 0) {
            runJobs();
        }
    }
}

void DataControlThread::keepConnected() {
    if (live()) {
        return;
    }
    const auto now = Clock::now();
    if (control_ != nullptr) {
        // Lost: what the selection holds now is unknown, which counts as a change.
        base_ = count() + 1;
        lastCount_ = base_;
        control_.reset();
        retryDelay_ = 1s;
        retryAt_ = now + retryDelay_;
        usable_ = false;
        usableChanged_(false);
        return;
    }
    if (now < retryAt_ || !reconnect_) {
        return;
    }
    control_ = reconnect_();
    if (live()) {
        base_ += 1;
        usable_ = true;
        usableChanged_(true);
        return;
    }
    control_.reset();
    retryDelay_ = std::min<std::chrono::seconds>(retryDelay_ * 2, 30s);
    retryAt_ = Clock::now() + retryDelay_;
}

std::uint64_t DataControlThread::changes() {
    if (!usable_) {
        return lastCount_; // no waiting behind an attempt to connect again
    }
    std::uint64_t counted = 0;
    call([&] {
        if (live()) {
            control_->dispatch();
        }
        counted = count();
    });
    return counted;
}

void DataControlThread::look(std::size_t maxTextBytes) {
    post([this, maxTextBytes] { startLook(maxTextBytes); });
}

void DataControlThread::setText(const QString& text) {
    post([this, text] {
        if (live()) {
            ownText_ = text;
            control_->setSelection(DataControl::plainText(std::make_shared<Utf8Pieces>(text)));
        }
    });
}

void DataControlThread::clear() {
    post([this] {
        if (live()) {
            ownText_.clear();
            control_->clearSelection();
        }
    });
}

std::optional<QString> DataControlThread::ownText() {
    std::optional<QString> text;
    call([&] {
        // A copy made just before this must not be overwritten by what we hand on.
        if (live() && control_->roundtrip(2s) && control_->ownsSelection()) {
            text = ownText_;
        }
    });
    return text;
}

void DataControlThread::startLook(std::size_t maxTextBytes) {
    if (looking_) {
        return; // the one under way answers; the caller asks again if the count moved since
    }
    looking_ = true;
    look_ = SelectionLook{};
    look_.changes = count();
    lookStarted_ = Clock::now();
    maxTextBytes_ = maxTextBytes;
    markers_.clear();
    markerData_.clear();
    if (!live()) {
        finishLook();
        return;
    }
    types_ = control_->types();
    if (control_->ownsSelection()) {
        types_.clear();
        for (const auto& [type, bytes] : control_->served()) {
            types_.push_back(type);
        }
        checkFileList();
        return;
    }
    // The markers the secret test reads, found by a first pass that reads nothing.
    look_.secret = isSecretClipboard(types_, [this](const std::string& type) {
        markers_.push_back(type);
        return std::optional<std::string>(std::string());
    });
    if (look_.secret) {
        finishLook();
        return;
    }
    readMarkers(0);
}

void DataControlThread::readMarkers(std::size_t at) {
    if (at < markers_.size()) {
        receive(markers_[at], kMaxSmallBytes, [this, at](PipeRead got) {
            if (got.status == PipeRead::Status::Complete) {
                markerData_[markers_[at]] = std::move(got.bytes);
            }
            readMarkers(at + 1);
        });
        return;
    }
    look_.secret = isSecretClipboard(types_, [this](const std::string& type) {
        const auto found = markerData_.find(type);
        return found == markerData_.end() ? std::nullopt : std::optional(found->second);
    });
    if (look_.secret) {
        finishLook();
        return;
    }
    checkFileList();
}

void DataControlThread::checkFileList() {
    if (offers(types_, "x-special/gnome-copied-files")) {
        look_.fileList = true;
        finishLook();
        return;
    }
    if (!offers(types_, "text/uri-list")) {
        readText();
        return;
    }
    receive("text/uri-list", kMaxSmallBytes, [this](PipeRead got) {
        look_.fileList = got.status == PipeRead::Status::Complete && onlyLocalFiles(got.bytes);
        if (look_.fileList) {
            finishLook();
        } else {
            readText();
        }
    });
}

void DataControlThread::readText() {
    for (const char* type : kTextTypes) {
        if (!offers(types_, type)) {
            continue;
        }
        look_.text = true;
        if (control_->ownsSelection()) {
            look_.plainText = ownText_; // ours: shared, not made again
            look_.read.status = PipeRead::Status::Complete;
            finishLook();
            return;
        }
        receive(
            type, maxTextBytes_,
            [this](PipeRead got) {
                look_.read = std::move(got);
                finishLook();
            },
            &look_.plainText);
        return;
    }
    finishLook();
}

void DataControlThread::finishLook() {
    look_.took = Clock::now() - lookStarted_;
    looking_ = false;
    looked_(std::move(look_));
    look_ = {};
}

void DataControlThread::receive(const std::string& type, std::size_t maxBytes,
                                std::function<void(PipeRead)> done, QString* decodeTo) {
    if (!live()) {
        done(PipeRead{});
        return;
    }
    if (control_->ownsSelection()) {
        done(control_->receive(type, maxBytes, 0ms)); // ours: no pipe, no wait
        return;
    }
    const int fd = control_->requestReceive(type);
    if (fd < 0) {
        done(PipeRead{});
        return;
    }
    read_ = Read{fd, maxBytes, Clock::now() + kReadTimeout, std::move(done), decodeTo, {}, 0, {}};
}

void DataControlThread::readOn() {
    PipeRead result;
    constexpr std::size_t kReadSize = 65536;
    char buffer[kReadSize + 3];
    for (;;) {
        // A character cut between two reads is decoded once all of it is in.
        const std::size_t carried = read_->unfinished.size();
        read_->unfinished.copy(buffer, carried);
        const ssize_t got = ::read(read_->fd, buffer + carried, kReadSize);
        if (got > 0) {
            read_->taken += std::size_t(got);
            if (read_->taken > read_->maxBytes) {
                result.status = PipeRead::Status::TooLarge;
                break;
            }
            const std::string_view bytes(buffer, carried + std::size_t(got));
            if (read_->decodeTo == nullptr) {
                read_->bytes.append(bytes);
                continue;
            }
            const std::size_t tail = unfinishedTail(bytes);
            read_->decodeTo->append(
                QString::fromUtf8(bytes.data(), qsizetype(bytes.size() - tail)));
            read_->unfinished.assign(bytes.substr(bytes.size() - tail));
            continue;
        }
        if (got == 0) {
            result.status = PipeRead::Status::Complete;
            result.bytes = std::move(read_->bytes);
            result.bytes.shrink_to_fit(); // growth left up to twice the text reserved
            if (read_->decodeTo != nullptr) {
                read_->decodeTo->append(QString::fromUtf8(read_->unfinished.data(),
                                                          qsizetype(read_->unfinished.size())));
                read_->decodeTo->squeeze();
            }
            break;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN && Clock::now() < read_->deadline && live()) {
            return; // more to come
        }
        break; // failed
    }
    if (result.status != PipeRead::Status::Complete && read_->decodeTo != nullptr) {
        *read_->decodeTo = QString(); // not whole: nothing of it is kept
    }
    ::close(read_->fd);
    auto done = std::move(read_->done);
    read_.reset();
    done(std::move(result));
}

} // namespace ziq
