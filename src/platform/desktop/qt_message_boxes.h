#pragma once

#include "platform/desktop/message_boxes.h"

namespace ziq {

class QtMessageBoxes final : public MessageBoxes {
public:
    void show(std::string_view text, MessageIcon icon, std::string_view caption) override;
};

} // namespace ziq
