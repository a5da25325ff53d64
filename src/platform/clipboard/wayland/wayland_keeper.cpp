#include "platform/clipboard/wayland_keeper.h"

#include "platform/clipboard/wayland/data_control.h"

namespace ziq {

namespace {

using namespace std::chrono_literals;

} // namespace

bool serveTextOnWayland(const std::string& text, const std::function<void(bool)>& ready) {
    const auto control = DataControl::connect(5s);
    if (control == nullptr) {
        ready(false);
        return false;
    }
    control->setSelection(DataControl::plainText(text));
    // Ours once the compositor has taken the request and no one took the selection since.
    const bool owned = control->roundtrip(5s) && control->ownsSelection();
    ready(owned);
    if (!owned) {
        return false;
    }
    // Pastes under way are finished even after the selection has moved on.
    while ((control->ownsSelection() || !control->deliveryFds().empty()) && control->dispatch(1s)) {
    }
    return true;
}

} // namespace ziq
