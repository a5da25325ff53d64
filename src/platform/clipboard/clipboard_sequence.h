#pragma once

#include <cstdint>
#include <optional>

namespace ziq {

// The system's count of clipboard changes, where any read may ask for it at once (Windows):
// it tells whether the content read is the content looked at before. Nothing elsewhere.
std::optional<std::uint32_t> clipboardSequenceNumber();

} // namespace ziq
