#pragma once

#include <string>
#include <string_view>

namespace ziq {

enum class MessageIcon { None, Information, Exclamation, Critical };

// Modal message box with one OK button; returns when the user has answered it.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(std::string_view text, MessageIcon icon, std::string_view caption) = 0;
};

} // namespace ziq
