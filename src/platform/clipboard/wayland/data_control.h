#pragma once

#include "platform/clipboard/pipe_io.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <span>
#include <utility>
#include <vector>

struct pollfd;
struct wl_callback;
struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_source_v1;
struct zwlr_data_control_offer_v1;

namespace ziq {

// The compositor's clipboard through a data-control protocol (ext-data-control-v1, else
// zwlr-data-control-unstable-v1), on a Wayland connection of our own. No toolkit here: the
// owner runs dispatch() whenever fd() is readable, from whatever loop it has.
//
// The two protocols are one wire interface under two names, so one code path serves both:
// the proxies are held as the zwlr types and only the interface tables differ.
class DataControl final {
public:
    // What we serve, made piece by piece for each paste: a text held in another form is
    // never held as bytes whole. Never changed, only replaced, so every type and every paste
    // under way shares one.
    class Content {
    public:
        virtual ~Content() = default;
        // Each call of what this returns gives the next piece of the bytes, from the start;
        // an empty one at the end. A piece stays valid until the next call.
        virtual std::function<std::string_view()> pieces() const = 0;
    };
    using Bytes = std::shared_ptr<const Content>;
    // Type -> content, in the order they are offered.
    using Contents = std::vector<std::pair<std::string, Bytes>>;

    // Bytes held as they are, handed out in one piece.
    static Bytes whole(std::string bytes);
    // `text` under every name programs ask plain text by, held once.
    static Contents plainText(Bytes text);
    static Contents plainText(std::string text) { return plainText(whole(std::move(text))); }

    // Nothing where there is no Wayland display, or where it offers no data control.
    static std::unique_ptr<DataControl> connect(std::chrono::milliseconds timeout);
    // The same over a connected socket, which it takes over.
    static std::unique_ptr<DataControl> connectTo(int socket, std::chrono::milliseconds timeout);

    struct Passkey {};
    DataControl(Passkey, wl_display* display);
    ~DataControl();
    DataControl(const DataControl&) = delete;
    DataControl& operator=(const DataControl&) = delete;

    int fd() const;
    // Runs what the compositor sent, waiting up to `timeout` (negative: no limit) for it, for
    // room in a pipe we serve through or for one of `others`, and moves those deliveries on;
    // false once unusable. `others` learn what happened to them.
    bool dispatch(std::chrono::milliseconds timeout = std::chrono::milliseconds(0),
                  std::span<pollfd> others = {});
    // Waits until the compositor has handled every request so far; false at the timeout.
    bool roundtrip(std::chrono::milliseconds timeout);
    bool usable() const;

    // Moves on every new selection, ours included.
    std::uint64_t changes() const { return changes_; }
    bool hasSelection() const { return offer_ != nullptr; }
    const std::vector<std::string>& types() const { return offerTypes_; }
    // Whether the selection is the one we set and still serve.
    bool ownsSelection() const { return source_ != nullptr; }
    const Contents& served() const { return served_; }

    // Asks the selection's owner for one type through a pipe.
    PipeRead receive(const std::string& type, std::size_t maxBytes,
                     std::chrono::milliseconds timeout);
    // The same without waiting: the read end of the pipe the owner answers through (the
    // caller reads and closes it), or -1. Not for our own selection, which receive() answers.
    int requestReceive(const std::string& type);

    void setSelection(Contents contents);
    void clearSelection();

    // A reader that takes a large text slowly, or not at all, must not hold us: what a pipe
    // does not take at once is delivered whenever it has room again, for as long as its
    // reader holds it open. These are the pipes still to be written to.
    std::vector<int> deliveryFds() const;
    // Writes on what each pipe takes now; ends deliveries that are done or whose reader left.
    void deliver();

    // The listeners the compositor's events arrive at.
    void onGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                  std::uint32_t version);
    void onGlobalRemoved(std::uint32_t name);
    void onDataOffer(zwlr_data_control_offer_v1* offer);
    void onOfferType(zwlr_data_control_offer_v1* offer, const char* type);
    void onSelection(zwlr_data_control_offer_v1* offer);
    void onPrimarySelection(zwlr_data_control_offer_v1* offer);
    void onFinished();
    void onSend(zwlr_data_control_source_v1* source, const char* type, int fd);
    void onCancelled(zwlr_data_control_source_v1* source);

    void onEchoWindowClosed(wl_callback* callback);

private:
    static std::unique_ptr<DataControl> adopt(wl_display* display,
                                              std::chrono::milliseconds timeout);
    bool bind(std::chrono::milliseconds timeout);
    void dropOffer();
    // Sends what is queued, waiting (boundedly) while the socket is full.
    void flush();
    // Our own set or clear comes back to us as a selection event before the compositor
    // answers a sync sent after it.
    void expectEcho();

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    std::uint32_t seatName_ = 0;
    std::uint32_t extName_ = 0;
    std::uint32_t wlrName_ = 0;
    const struct DataControlProtocol* protocol_ = nullptr;
    zwlr_data_control_manager_v1* manager_ = nullptr;
    zwlr_data_control_device_v1* device_ = nullptr;
    zwlr_data_control_source_v1* source_ = nullptr;
    zwlr_data_control_offer_v1* offer_ = nullptr;
    std::vector<std::string> offerTypes_;
    // Offers announced but not yet made the selection, with their types.
    std::map<zwlr_data_control_offer_v1*, std::vector<std::string>> announced_;
    Contents served_;
    void startDelivery(int fd, Bytes bytes);

    struct Delivery {
        int fd;
        Bytes content; // kept while the pieces are made from it
        std::function<std::string_view()> next;
        std::string_view piece; // what of the current piece the pipe has not taken yet
        std::size_t sent = 0;
    };
    std::vector<Delivery> deliveries_;
    // Selection events still to come back for our own sets, and the syncs that bound them.
    std::size_t echoes_ = 0;
    std::vector<wl_callback*> echoWindows_;
    std::uint64_t changes_ = 0;
    bool finished_ = false;
};

} // namespace ziq
