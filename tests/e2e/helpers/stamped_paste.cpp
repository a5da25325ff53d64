// Pastes the X11 clipboard as a program does that stamps its request with the time of an
// event it took in a while ago: prints "ready" once it has that time; on a line on standard
// input asks for UTF8_STRING with it, prints what it got and ends.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

namespace {

struct Free {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : XCB_NONE;
}

// The next event of the given type; null when the connection broke.
Reply<xcb_generic_event_t> next(xcb_connection_t* connection, std::uint8_t type) {
    for (;;) {
        Reply<xcb_generic_event_t> event(xcb_wait_for_event(connection));
        if (!event || (event->response_type & 0x7f) == type) {
            return event;
        }
    }
}

} // namespace

int main() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    const xcb_atom_t property = atom(connection, "ZIQ_STAMPED_PASTE");
    // A change of one of our properties brings the server's time.
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_flush(connection);
    const auto changed = next(connection, XCB_PROPERTY_NOTIFY);
    if (!changed) {
        return 1;
    }
    const xcb_timestamp_t stamp =
        reinterpret_cast<const xcb_property_notify_event_t*>(changed.get())->time;
    std::puts("ready");
    std::fflush(stdout);

    std::string line;
    std::getline(std::cin, line);
    xcb_convert_selection(connection, window, atom(connection, "CLIPBOARD"),
                          atom(connection, "UTF8_STRING"), property, stamp);
    xcb_flush(connection);
    const auto notified = next(connection, XCB_SELECTION_NOTIFY);
    if (!notified ||
        reinterpret_cast<const xcb_selection_notify_event_t*>(notified.get())->property ==
            XCB_NONE) {
        return 0; // refused: nothing
    }
    const Reply<xcb_get_property_reply_t> text(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24),
        nullptr));
    if (text) {
        std::fwrite(xcb_get_property_value(text.get()), 1,
                    std::size_t(xcb_get_property_value_length(text.get())), stdout);
    }
    xcb_disconnect(connection);
    return 0;
}
