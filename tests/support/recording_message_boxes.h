#pragma once

#include "platform/desktop/message_boxes.h"

#include <functional>
#include <string>
#include <vector>

namespace ziq::test {

struct ShownMessage {
    std::string text;
    MessageIcon icon;
    std::string caption;
};

class RecordingMessageBoxes final : public MessageBoxes {
public:
    void show(std::string_view text, MessageIcon icon, std::string_view caption) override {
        shown.push_back({std::string(text), icon, std::string(caption)});
        if (onShow) {
            onShow(shown.back());
        }
    }
    std::vector<ShownMessage> shown;
    // Runs while the "modal" box is open, e.g. to fire a timer tick from inside it.
    std::function<void(const ShownMessage&)> onShow;
};

} // namespace ziq::test
