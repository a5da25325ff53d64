#include "platform/clipboard/clipboard_sequence.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace ziq {

namespace {

// What xcb hands out with malloc.
struct Free {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

// A new owner of CLIPBOARD, reported by the server on a connection nobody else reads, so that
// a count taken between the toolkit's reads does not wait for its event loop.
class X11Sequence final : public ClipboardSequence {
public:
    explicit X11Sequence(xcb_connection_t* connection) : connection_(connection) {}
    ~X11Sequence() override { xcb_disconnect(connection_); }
    X11Sequence(const X11Sequence&) = delete;
    X11Sequence& operator=(const X11Sequence&) = delete;

    bool watch(int screenNumber) {
        const xcb_query_extension_reply_t* xfixes =
            xcb_get_extension_data(connection_, &xcb_xfixes_id);
        if (xfixes == nullptr || !xfixes->present) {
            return false;
        }
        firstEvent_ = xfixes->first_event;
        const Reply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
            connection_, xcb_xfixes_query_version(connection_, 1, 0), nullptr));
        const Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::strlen("CLIPBOARD"), "CLIPBOARD"),
            nullptr));
        xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int at = 0; at < screenNumber && screen.rem > 0; ++at) {
            xcb_screen_next(&screen);
        }
        if (version == nullptr || atom == nullptr || screen.rem == 0) {
            return false;
        }
        xcb_xfixes_select_selection_input(
            connection_, screen.data->root, atom->atom,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        return now().has_value();
    }

    std::optional<std::uint32_t> now() override {
        // The answer to a request comes after every report the server sent before it.
        const Reply<xcb_get_input_focus_reply_t> focus(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        if (focus == nullptr || xcb_connection_has_error(connection_) != 0) {
            return std::nullopt;
        }
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            if ((event->response_type & 0x7f) == firstEvent_ + XCB_XFIXES_SELECTION_NOTIFY) {
                ++count_;
            }
            std::free(event);
        }
        return count_;
    }

private:
    xcb_connection_t* connection_;
    std::uint8_t firstEvent_ = 0;
    std::uint32_t count_ = 0;
};

} // namespace

std::unique_ptr<ClipboardSequence> ClipboardSequence::open() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    auto sequence = std::make_unique<X11Sequence>(connection); // disconnects, even on error
    if (xcb_connection_has_error(connection) != 0 || !sequence->watch(screenNumber)) {
        return nullptr;
    }
    return sequence;
}

} // namespace ziq
