#include "platform/clipboard/stale_request_filter.h"

#include <QByteArray>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace ziq {

bool StaleRequestFilter::nativeEventFilter(const QByteArray& eventType, void* message,
                                           qintptr* /*result*/) {
    if (eventType != QByteArrayLiteral("xcb_generic_event_t")) {
        return false;
    }
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    // The toolkit watches its selections through XFixes: its report of our own claim comes
    // before any request that the claim sends us.
    if (xfixesEvent_ != 0 && type == xfixesEvent_ + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto* notice = static_cast<xcb_xfixes_selection_notify_event_t*>(message);
        if (notice->selection != XCB_ATOM_PRIMARY &&
            notice->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER) {
            claimedAt_ = notice->selection_timestamp;
        }
    } else if (type == XCB_SELECTION_REQUEST && claimedAt_ != 0) {
        auto* request = static_cast<xcb_selection_request_event_t*>(message);
        if (request->selection != XCB_ATOM_PRIMARY && request->time != XCB_CURRENT_TIME &&
            request->time < claimedAt_) {
            request->time = claimedAt_;
        }
    }
    return false; // the toolkit answers it
}

} // namespace ziq
