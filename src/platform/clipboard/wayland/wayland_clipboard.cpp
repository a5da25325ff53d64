#include "platform/clipboard/wayland/wayland_clipboard.h"

#include "platform/clipboard/keeper_launch.h"
#include "platform/clipboard/secret_clipboard.h"
#include "platform/clipboard/wayland/data_control.h"

#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <array>

namespace ziq {

namespace {

using namespace std::chrono_literals;

// Most wanted first.
constexpr std::array<const char*, 3> kTextTypes{"text/plain;charset=utf-8", "UTF8_STRING",
                                                "text/plain"};
// A sender that has not finished by then is not waited for (and not asked again until the
// clipboard changes).
constexpr auto kReadTimeout = 3s;
constexpr auto kConnectTimeout = 5s;
// No UTF-8 text longer than this many bytes fits the character limit (at most three bytes
// make one UTF-16 character); a longer one is refused without holding all of it.
constexpr std::size_t kMaxTextBytes = 3 * ClipboardReadGuard::kMaxTextLength;
constexpr std::size_t kMaxSmallBytes = 1024 * 1024;

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

std::unique_ptr<WaylandClipboard> WaylandClipboard::connect() {
    auto control = DataControl::connect(kConnectTimeout);
    if (control == nullptr) {
        return nullptr;
    }
    return std::make_unique<WaylandClipboard>(std::move(control));
}

WaylandClipboard::WaylandClipboard(std::unique_ptr<DataControl> control)
    : control_(std::move(control)),
      events_(std::make_unique<QSocketNotifier>(control_->fd(), QSocketNotifier::Read)),
      overdue_(std::make_unique<QTimer>()) {
    QObject::connect(events_.get(), &QSocketNotifier::activated, events_.get(),
                     [this] { takeEvents(); });
    overdue_->setInterval(1000);
    QObject::connect(overdue_.get(), &QTimer::timeout, events_.get(), [this] {
        control_->deliver();
        watchDeliveries();
    });
}

WaylandClipboard::~WaylandClipboard() = default;

void WaylandClipboard::takeEvents() {
    const std::uint64_t before = control_->changes();
    if (!control_->dispatch()) {
        // The compositor is gone or dropped us: nothing more will come.
        events_->setEnabled(false);
    }
    if (control_->changes() != before) {
        guard_.contentChanged();
    }
    watchDeliveries();
}

void WaylandClipboard::watchDeliveries() {
    const std::vector<int> fds = control_->deliveryFds();
    for (auto at = deliveries_.begin(); at != deliveries_.end();) {
        if (std::find(fds.begin(), fds.end(), at->first) != fds.end()) {
            ++at;
            continue;
        }
        at->second->setEnabled(false);
        at->second.release()->deleteLater(); // its own signal may be running now
        at = deliveries_.erase(at);
    }
    for (const int fd : fds) {
        if (deliveries_.contains(fd)) {
            continue;
        }
        auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, events_.get(), [this] {
            control_->deliver();
            watchDeliveries();
        });
        deliveries_.emplace(fd, std::move(notifier));
    }
    if (fds.empty()) {
        overdue_->stop();
    } else if (!overdue_->isActive()) {
        overdue_->start();
    }
}

std::optional<QString> WaylandClipboard::readText() {
    if (!control_->usable()) {
        return std::nullopt;
    }
    const auto started = ClipboardReadGuard::Clock::now();
    if (!guard_.mayRead(started)) {
        return std::nullopt;
    }
    const std::optional<std::string> type = textType();
    if (!type || isFileList()) {
        return QString();
    }
    if (!guard_.mayRead(ClipboardReadGuard::Clock::now())) {
        return std::nullopt; // the owner left the file-list question unanswered
    }
    const PipeRead got = control_->receive(*type, kMaxTextBytes, kReadTimeout);
    const auto now = ClipboardReadGuard::Clock::now();
    if (got.status == PipeRead::Status::TooLarge) {
        guard_.acceptLength(ClipboardReadGuard::kMaxTextLength + 1, now);
        return std::nullopt;
    }
    if (got.status == PipeRead::Status::Failed) {
        guard_.readDone(started, now, true);
        return std::nullopt;
    }
    QString text = QString::fromUtf8(got.bytes.data(), qsizetype(got.bytes.size()));
    guard_.readDone(started, now, text.isEmpty());
    if (!guard_.acceptLength(std::size_t(text.size()), now)) {
        return std::nullopt; // too large: not captured, and the clipboard is left as it is
    }
    return text;
}

bool WaylandClipboard::hasText() {
    return control_->usable() && textType().has_value() && !isFileList();
}

bool WaylandClipboard::isSecret() {
    if (!control_->usable() || control_->ownsSelection()) {
        return false;
    }
    const auto started = ClipboardReadGuard::Clock::now();
    if (!guard_.mayRead(started)) {
        return false;
    }
    return isSecretClipboard(control_->types(), [this](const std::string& type) {
        return readSmall(type).value_or(std::string());
    });
}

bool WaylandClipboard::clear() {
    control_->clearSelection();
    return control_->usable();
}

bool WaylandClipboard::writeText(const QString& text) {
    control_->setSelection(DataControl::plainText(text.toStdString()));
    return control_->usable();
}

std::optional<std::uint64_t> WaylandClipboard::changeCount() {
    if (!control_->usable()) {
        return std::nullopt;
    }
    return control_->changes();
}

bool WaylandClipboard::keepTextAfterExit() {
    // Take in a copy made just before the end, which the keeper must not overwrite.
    control_->roundtrip(std::chrono::seconds(2));
    watchDeliveries();
    if (!control_->usable() || !control_->ownsSelection() || control_->served().empty()) {
        return false;
    }
    const std::string& text = control_->served().front().second;
    return handTextToKeeper(QByteArray::fromStdString(text), {QStringLiteral("--wayland")});
}

std::optional<std::string> WaylandClipboard::textType() {
    if (control_->ownsSelection()) {
        return control_->served().empty() ? std::nullopt
                                          : std::optional(control_->served().front().first);
    }
    for (const char* type : kTextTypes) {
        if (offers(control_->types(), type)) {
            return type;
        }
    }
    return std::nullopt;
}

bool WaylandClipboard::isFileList() {
    if (control_->ownsSelection()) {
        return false;
    }
    const std::vector<std::string>& types = control_->types();
    if (offers(types, "x-special/gnome-copied-files")) {
        return true;
    }
    if (!offers(types, "text/uri-list")) {
        return false;
    }
    if (!fileList_ || fileList_->first != control_->changes()) {
        const std::optional<std::string> uris = readSmall("text/uri-list");
        fileList_ = {control_->changes(), uris && onlyLocalFiles(*uris)};
    }
    return fileList_->second;
}

std::optional<std::string> WaylandClipboard::readSmall(const std::string& type) {
    const auto started = ClipboardReadGuard::Clock::now();
    const PipeRead got = control_->receive(type, kMaxSmallBytes, kReadTimeout);
    const bool complete = got.status == PipeRead::Status::Complete;
    guard_.readDone(started, ClipboardReadGuard::Clock::now(), !complete);
    return complete ? std::optional(got.bytes) : std::nullopt;
}

} // namespace ziq
