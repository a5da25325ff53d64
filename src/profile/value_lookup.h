#pragma once

#include <string>
#include <string_view>

#include "profile/line_scanner.h"

// Finds a key's value: only the first section with a matching name is searched, and within it
// the first matching key wins.
namespace ziq::profile {

class ValueLookup final : public LineSink {
public:
    // `section` and `key` are already stripped of their outer spaces.
    ValueLookup(std::string_view section, std::string_view key);

    bool onLine(const Line& line) override;

    bool found() const { return found_; }
    // The trimmed value as stored, quotes included.
    const std::string& value() const { return value_; }

private:
    std::string_view section_;
    std::string_view key_;
    bool inSection_ = false;
    bool done_ = false;
    bool found_ = false;
    std::string value_;
};

} // namespace ziq::profile
