#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>

namespace ziq {

// WORKAROUND: the toolkit refuses a request for the X11 clipboard that is stamped earlier
// than its own claim. A compositor that carries X11's clipboard over to Wayland (mutter)
// stamps each paste with the time of the claim it last took in; until it has taken in the
// keeper's, that is ZIQ2's, so a Wayland paste right after ZIQ2 ended got nothing. The keeper
// serves the text ZIQ2 served then: such a request is answered as if made at our claim.
class StaleRequestFilter final : public QAbstractNativeEventFilter {
public:
    // `xfixesEvent`: the XFixes extension's first event number on the toolkit's connection.
    explicit StaleRequestFilter(std::uint8_t xfixesEvent) : xfixesEvent_(xfixesEvent) {}
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::uint8_t xfixesEvent_;
    std::uint32_t claimedAt_ = 0; // the server time of the latest claim of CLIPBOARD
};

} // namespace ziq
