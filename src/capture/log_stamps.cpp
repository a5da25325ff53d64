#include "capture/log_stamps.h"

namespace ziq {

std::string twoDigits(int value) {
    std::string text = std::to_string(value);
    if (text.size() != 2) {
        text.insert(0, "0");
    }
    return text;
}

std::string dateStamp(const LocalDateTime& time) {
    return std::to_string(time.year) + twoDigits(time.month) + twoDigits(time.day);
}

std::string timeStamp(const LocalDateTime& time) {
    return twoDigits(time.hour) + twoDigits(time.minute) + twoDigits(time.second);
}

} // namespace ziq
