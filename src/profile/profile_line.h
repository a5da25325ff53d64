#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// What one line of a profile file is: blank, comment, section header or entry.
namespace ziq::profile {

enum class LineKind : std::uint8_t { Blank, Comment, Header, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    std::string_view name;      // section name or key, trimmed
    std::string_view value;     // entry value, trimmed
    bool hasEquals = false;     // an entry without '=' has no key and never matches one
    std::size_t valueStart = 0; // where the raw value starts in the line (just after '=')
};

// `text` is one line without its line break; the views point into it.
ParsedLine parseLine(std::string_view text);

} // namespace ziq::profile
