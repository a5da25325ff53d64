#pragma once

#include <functional>
#include <string>

namespace ziq {

// Serves `text` as the Wayland selection through the compositor's data control until another
// program sets the selection or the session ends. `ready` learns once whether the selection
// became ours. Returns false when it never did.
bool serveTextOnWayland(const std::string& text, const std::function<void(bool owned)>& ready);

} // namespace ziq
