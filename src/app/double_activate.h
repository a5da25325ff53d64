#pragma once

#include <chrono>
#include <optional>

namespace ziq {

// StatusNotifierItem hosts send one Activate per left click and never a double click: the
// second of two Activates within the double-click interval stands for one.
class DoubleActivate {
public:
    // True when the Activate at `at` completes a double click; it then starts no new one.
    bool activate(std::chrono::milliseconds at, std::chrono::milliseconds interval);

private:
    std::optional<std::chrono::milliseconds> first_;
};

} // namespace ziq
