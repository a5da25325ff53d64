#include "settings/setting_number.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace ziq {

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

std::optional<double> settingNumber(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::string_view digits = text;
    bool negative = false;
    if (digits.front() == '+' || digits.front() == '-') {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    // from_chars alone would accept "inf", "nan" and hex; only plain decimals count.
    if (digits.empty() ||
        !(std::isdigit(static_cast<unsigned char>(digits.front())) || digits.front() == '.')) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                              std::chars_format::general);
    if (error != std::errc{} || end != digits.data() + digits.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

bool guardedEquals(std::string_view text, int number) {
    const auto value = settingNumber(text);
    return !value || *value == number;
}

bool strictEquals(std::string_view text, int number) {
    const auto value = settingNumber(text);
    return value && *value == number;
}

std::optional<std::uint8_t> settingByte(std::string_view text) {
    const auto value = settingNumber(text);
    if (!value) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(*value); // default rounding mode: half to even
    if (rounded < 0 || rounded > 255) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(rounded);
}

} // namespace ziq
