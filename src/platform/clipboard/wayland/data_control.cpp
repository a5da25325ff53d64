#include "platform/clipboard/wayland/data_control.h"

#include "ext-data-control-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

namespace ziq {

// The newer protocol is the older one renamed: same requests and events in the same order
// with the same arguments. These hold that true for what this file sends and receives.
static_assert(EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE ==
              ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE);
static_assert(EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE ==
              ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE);
static_assert(EXT_DATA_CONTROL_MANAGER_V1_DESTROY == ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION ==
              ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_DESTROY == ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_SOURCE_V1_OFFER == ZWLR_DATA_CONTROL_SOURCE_V1_OFFER);
static_assert(EXT_DATA_CONTROL_SOURCE_V1_DESTROY == ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_OFFER_V1_RECEIVE == ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE);
static_assert(EXT_DATA_CONTROL_OFFER_V1_DESTROY == ZWLR_DATA_CONTROL_OFFER_V1_DESTROY);
static_assert(sizeof(ext_data_control_device_v1_listener) ==
              sizeof(zwlr_data_control_device_v1_listener));
static_assert(sizeof(ext_data_control_source_v1_listener) ==
              sizeof(zwlr_data_control_source_v1_listener));
static_assert(sizeof(ext_data_control_offer_v1_listener) ==
              sizeof(zwlr_data_control_offer_v1_listener));

struct DataControlProtocol {
    const char* managerName;
    const wl_interface* manager;
    const wl_interface* device;
    const wl_interface* source;
};

namespace {

constexpr DataControlProtocol extProtocol{
    "ext_data_control_manager_v1", &ext_data_control_manager_v1_interface,
    &ext_data_control_device_v1_interface, &ext_data_control_source_v1_interface};
constexpr DataControlProtocol wlrProtocol{
    "zwlr_data_control_manager_v1", &zwlr_data_control_manager_v1_interface,
    &zwlr_data_control_device_v1_interface, &zwlr_data_control_source_v1_interface};

// Pastes under way at once; each costs a descriptor. Past that a new one gets nothing.
constexpr std::size_t kMaxDeliveries = 64;

DataControl& self(void* data) {
    return *static_cast<DataControl*>(data);
}

const wl_registry_listener registryListener{
    [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
       std::uint32_t version) { self(data).onGlobal(registry, name, interface, version); },
    [](void* data, wl_registry*, std::uint32_t name) { self(data).onGlobalRemoved(name); }};

const zwlr_data_control_offer_v1_listener offerListener{
    [](void* data, zwlr_data_control_offer_v1* offer, const char* type) {
        self(data).onOfferType(offer, type);
    }};

const zwlr_data_control_device_v1_listener deviceListener{
    [](void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
        self(data).onDataOffer(offer);
    },
    [](void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
        self(data).onSelection(offer);
    },
    [](void* data, zwlr_data_control_device_v1*) { self(data).onFinished(); },
    [](void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
        self(data).onPrimarySelection(offer);
    }};

const zwlr_data_control_source_v1_listener sourceListener{
    [](void* data, zwlr_data_control_source_v1* source, const char* type, std::int32_t fd) {
        self(data).onSend(source, type, fd);
    },
    [](void* data, zwlr_data_control_source_v1* source) { self(data).onCancelled(source); }};

const wl_callback_listener syncListener{
    [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};

const wl_callback_listener echoWindowListener{[](void* data, wl_callback* callback, std::uint32_t) {
    self(data).onEchoWindowClosed(callback);
}};

// A full socket is waited on for this long before a request is given up to the next flush.
constexpr auto kFlushTimeout = std::chrono::seconds(5);

wl_proxy* proxy(void* object) {
    return static_cast<wl_proxy*>(object);
}

} // namespace

DataControl::Contents DataControl::plainText(Bytes text) {
    Contents contents;
    for (const char* type :
         {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "STRING", "TEXT"}) {
        contents.emplace_back(type, text);
    }
    return contents;
}

DataControl::Bytes DataControl::whole(std::string bytes) {
    class Whole final : public Content {
    public:
        explicit Whole(std::string bytes) : bytes_(std::move(bytes)) {}
        std::function<std::string_view()> pieces() const override {
            return [this, given = false]() mutable {
                return std::exchange(given, true) ? std::string_view() : std::string_view(bytes_);
            };
        }

    private:
        std::string bytes_;
    };
    return std::make_shared<const Whole>(std::move(bytes));
}

std::unique_ptr<DataControl> DataControl::connect(std::chrono::milliseconds timeout) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (name == nullptr || *name == '\0') {
        return nullptr;
    }
    return adopt(wl_display_connect(nullptr), timeout);
}

std::unique_ptr<DataControl> DataControl::connectTo(int socket, std::chrono::milliseconds timeout) {
    return adopt(wl_display_connect_to_fd(socket), timeout);
}

std::unique_ptr<DataControl> DataControl::adopt(wl_display* display,
                                                std::chrono::milliseconds timeout) {
    if (display == nullptr) {
        return nullptr;
    }
    auto control = std::make_unique<DataControl>(Passkey{}, display);
    if (!control->bind(timeout)) {
        return nullptr;
    }
    return control;
}

DataControl::DataControl(Passkey, wl_display* display) : display_(display) {}

DataControl::~DataControl() {
    for (wl_callback* callback : echoWindows_) {
        wl_callback_destroy(callback);
    }
    for (const Delivery& delivery : deliveries_) {
        ::close(delivery.fd);
    }
    dropOffer();
    for (auto& [offer, types] : announced_) {
        zwlr_data_control_offer_v1_destroy(offer);
    }
    if (source_ != nullptr) {
        zwlr_data_control_source_v1_destroy(source_);
    }
    if (device_ != nullptr) {
        zwlr_data_control_device_v1_destroy(device_);
    }
    if (manager_ != nullptr) {
        zwlr_data_control_manager_v1_destroy(manager_);
    }
    if (seat_ != nullptr) {
        wl_seat_destroy(seat_);
    }
    if (registry_ != nullptr) {
        wl_registry_destroy(registry_);
    }
    flush();
    wl_display_disconnect(display_);
}

bool DataControl::bind(std::chrono::milliseconds timeout) {
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &registryListener, this);
    if (!roundtrip(timeout) || seatName_ == 0 || (extName_ == 0 && wlrName_ == 0)) {
        return false;
    }
    seat_ = static_cast<wl_seat*>(wl_registry_bind(registry_, seatName_, &wl_seat_interface, 1));
    protocol_ = extName_ != 0 ? &extProtocol : &wlrProtocol;
    manager_ = static_cast<zwlr_data_control_manager_v1*>(
        wl_registry_bind(registry_, extName_ != 0 ? extName_ : wlrName_, protocol_->manager, 1));
    device_ = reinterpret_cast<zwlr_data_control_device_v1*>(wl_proxy_marshal_flags(
        proxy(manager_), ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE, protocol_->device,
        wl_proxy_get_version(proxy(manager_)), 0, nullptr, seat_));
    zwlr_data_control_device_v1_add_listener(device_, &deviceListener, this);
    // The current selection arrives in answer to the new device.
    return roundtrip(timeout) && usable();
}

int DataControl::fd() const {
    return wl_display_get_fd(display_);
}

bool DataControl::usable() const {
    return !finished_ && wl_display_get_error(display_) == 0;
}

bool DataControl::dispatch(std::chrono::milliseconds timeout, std::span<pollfd> others) {
    if (wl_display_get_error(display_) != 0) {
        return false;
    }
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) {
            return false;
        }
    }
    flush();
    std::vector<pollfd> watched{{fd(), POLLIN, 0}};
    watched.insert(watched.end(), others.begin(), others.end());
    for (const Delivery& delivery : deliveries_) {
        watched.push_back({delivery.fd, POLLOUT, 0});
    }
    const int ready =
        ::poll(watched.data(), watched.size(), timeout.count() < 0 ? -1 : int(timeout.count()));
    for (std::size_t at = 0; at < others.size(); ++at) {
        others[at].revents = ready > 0 ? watched[1 + at].revents : 0;
    }
    if (ready > 0 && watched[0].revents != 0) {
        if (wl_display_read_events(display_) < 0) {
            return false;
        }
    } else {
        wl_display_cancel_read(display_);
    }
    const bool dispatched = wl_display_dispatch_pending(display_) >= 0;
    deliver();
    return dispatched && usable();
}

std::vector<int> DataControl::deliveryFds() const {
    std::vector<int> fds;
    for (const Delivery& delivery : deliveries_) {
        fds.push_back(delivery.fd);
    }
    return fds;
}

void DataControl::deliver() {
    // A pipe closed early reads as a whole, shorter text: a delivery ends only when all of it
    // is written or its reader has gone.
    std::erase_if(deliveries_, [](Delivery& delivery) {
        bool over = false;
        for (;;) {
            if (delivery.piece.empty() && (delivery.piece = delivery.next()).empty()) {
                over = true; // all of it written
                break;
            }
            const std::optional<std::size_t> sent = writeAvailable(delivery.fd, delivery.piece);
            if (!sent) {
                over = true; // the reader has gone
                break;
            }
            delivery.sent += *sent;
            delivery.piece.remove_prefix(*sent);
            if (!delivery.piece.empty()) {
                break; // the pipe is full
            }
        }
        if (over) {
            ::close(delivery.fd);
        }
        return over;
    });
}

void DataControl::startDelivery(int fd, Bytes bytes) {
    if (deliveries_.size() >= kMaxDeliveries) {
        // Only a paste that has had nothing yet can be dropped without cutting it short.
        const auto unstarted = std::find_if(deliveries_.begin(), deliveries_.end(),
                                            [](const Delivery& old) { return old.sent == 0; });
        if (unstarted == deliveries_.end()) {
            ::close(fd);
            return;
        }
        ::close(unstarted->fd);
        deliveries_.erase(unstarted);
    }
    auto next = bytes->pieces();
    deliveries_.push_back({fd, std::move(bytes), std::move(next), {}, 0});
    deliver();
}

bool DataControl::roundtrip(std::chrono::milliseconds timeout) {
    bool done = false;
    wl_callback* callback = wl_display_sync(display_);
    wl_callback_add_listener(callback, &syncListener, &done);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done && wl_display_get_error(display_) == 0) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        dispatch(left);
    }
    wl_callback_destroy(callback);
    return done;
}

PipeRead DataControl::receive(const std::string& type, std::size_t maxBytes,
                              std::chrono::milliseconds timeout) {
    PipeRead result;
    if (ownsSelection()) {
        // Asking the compositor would have it ask us back, while we wait on the pipe.
        for (const auto& [served, bytes] : served_) {
            if (served != type) {
                continue;
            }
            const auto next = bytes->pieces();
            for (std::string_view piece = next(); !piece.empty(); piece = next()) {
                if (result.bytes.size() + piece.size() > maxBytes) {
                    result.bytes.clear();
                    result.status = PipeRead::Status::TooLarge;
                    return result;
                }
                result.bytes.append(piece);
            }
            result.status = PipeRead::Status::Complete;
        }
        return result;
    }
    const int fd = requestReceive(type);
    if (fd < 0) {
        return result;
    }
    result = readPipe(fd, maxBytes, std::chrono::steady_clock::now() + timeout);
    ::close(fd);
    return result;
}

int DataControl::requestReceive(const std::string& type) {
    int ends[2];
    if (offer_ == nullptr || !usable() || ::pipe2(ends, O_CLOEXEC) != 0) {
        return -1;
    }
    ::fcntl(ends[0], F_SETFL, O_NONBLOCK); // ours only: the owner may write as it pleases
    zwlr_data_control_offer_v1_receive(offer_, type.c_str(), ends[1]);
    ::close(ends[1]);
    flush();
    return ends[0];
}

void DataControl::setSelection(Contents contents) {
    if (!usable()) {
        return;
    }
    auto* source = reinterpret_cast<zwlr_data_control_source_v1*>(wl_proxy_marshal_flags(
        proxy(manager_), ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE, protocol_->source,
        wl_proxy_get_version(proxy(manager_)), 0, nullptr));
    zwlr_data_control_source_v1_add_listener(source, &sourceListener, this);
    for (const auto& [type, bytes] : contents) {
        zwlr_data_control_source_v1_offer(source, type.c_str());
    }
    zwlr_data_control_device_v1_set_selection(device_, source);
    if (source_ != nullptr) {
        zwlr_data_control_source_v1_destroy(source_);
    }
    source_ = source;
    served_ = std::move(contents);
    dropOffer();
    ++changes_;
    expectEcho();
    flush();
}

void DataControl::clearSelection() {
    if (!usable()) {
        return;
    }
    zwlr_data_control_device_v1_set_selection(device_, nullptr);
    if (source_ != nullptr) {
        zwlr_data_control_source_v1_destroy(source_);
        source_ = nullptr;
    }
    served_.clear();
    dropOffer();
    ++changes_;
    expectEcho();
    flush();
}

void DataControl::flush() {
    const auto deadline = std::chrono::steady_clock::now() + kFlushTimeout;
    while (wl_display_flush(display_) < 0 && errno == EAGAIN) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd watched{fd(), POLLOUT, 0};
        if (left.count() <= 0 || (::poll(&watched, 1, int(left.count())) < 0 && errno != EINTR)) {
            return;
        }
    }
}

void DataControl::expectEcho() {
    ++echoes_;
    wl_callback* callback = wl_display_sync(display_);
    wl_callback_add_listener(callback, &echoWindowListener, this);
    echoWindows_.push_back(callback);
}

void DataControl::onEchoWindowClosed(wl_callback* callback) {
    std::erase(echoWindows_, callback);
    wl_callback_destroy(callback);
    // An echo that has not come by now never will: only the later sets may still send one.
    echoes_ = std::min(echoes_, echoWindows_.size());
}

void DataControl::dropOffer() {
    if (offer_ != nullptr) {
        zwlr_data_control_offer_v1_destroy(offer_);
        offer_ = nullptr;
    }
    offerTypes_.clear();
}

void DataControl::onGlobal(wl_registry*, std::uint32_t name, const char* interface, std::uint32_t) {
    if (std::strcmp(interface, "wl_seat") == 0 && seatName_ == 0) {
        seatName_ = name;
    } else if (std::strcmp(interface, extProtocol.managerName) == 0) {
        extName_ = name;
    } else if (std::strcmp(interface, wlrProtocol.managerName) == 0) {
        wlrName_ = name;
    }
}

void DataControl::onGlobalRemoved(std::uint32_t name) {
    // The compositor withdrew data control: the manager we hold is dead from now on.
    if (manager_ != nullptr && name == (protocol_ == &extProtocol ? extName_ : wlrName_)) {
        finished_ = true;
    }
}

void DataControl::onDataOffer(zwlr_data_control_offer_v1* offer) {
    announced_[offer];
    zwlr_data_control_offer_v1_add_listener(offer, &offerListener, this);
}

void DataControl::onOfferType(zwlr_data_control_offer_v1* offer, const char* type) {
    if (auto found = announced_.find(offer); found != announced_.end()) {
        found->second.emplace_back(type);
    }
}

void DataControl::onSelection(zwlr_data_control_offer_v1* offer) {
    if (offer_ != offer) {
        dropOffer();
    }
    offer_ = offer;
    offerTypes_.clear();
    // Every offer is announced just before the event that uses it: the rest are stale.
    for (auto& [announced, types] : announced_) {
        if (announced == offer) {
            offerTypes_ = std::move(types);
        } else {
            zwlr_data_control_offer_v1_destroy(announced);
        }
    }
    announced_.clear();
    // Our own set moved the count when we made it; any other selection is news, whether the
    // `cancelled` of ours came before it or is still to come. (A foreign set that overtook
    // our echo is news twice: harmless, a look too many.)
    if (echoes_ > 0) {
        --echoes_;
    } else {
        ++changes_;
    }
}

void DataControl::onPrimarySelection(zwlr_data_control_offer_v1* offer) {
    if (offer != nullptr && offer != offer_) {
        announced_.erase(offer);
        zwlr_data_control_offer_v1_destroy(offer);
    }
}

void DataControl::onFinished() {
    finished_ = true;
}

void DataControl::onSend(zwlr_data_control_source_v1* source, const char* type, int fd) {
    if (source == source_) {
        for (const auto& [served, bytes] : served_) {
            if (served == type) {
                startDelivery(fd, bytes);
                return;
            }
        }
    }
    ::close(fd);
}

void DataControl::onCancelled(zwlr_data_control_source_v1* source) {
    if (source == source_) {
        source_ = nullptr;
        served_.clear();
        ++changes_; // replaced, even where the new selection's event took our echo's place
    }
    zwlr_data_control_source_v1_destroy(source);
}

} // namespace ziq
