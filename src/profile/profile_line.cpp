#include "profile/profile_line.h"

#include "profile/profile_text.h"

namespace ziq::profile {

ParsedLine parseLine(std::string_view text) {
    ParsedLine parsed;
    const std::string_view trimmed = trimBlanks(text);
    if (trimmed.empty()) {
        return parsed;
    }
    if (trimmed.front() == '[') {
        parsed.kind = LineKind::Header;
        const std::string_view inside = trimmed.substr(1);
        parsed.name = trimBlanks(inside.substr(0, inside.find(']')));
        return parsed;
    }
    if (trimmed.front() == ';') {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    parsed.kind = LineKind::Entry;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
        parsed.name = trimmed;
        return parsed;
    }
    parsed.hasEquals = true;
    parsed.name = trimBlanks(trimmed.substr(0, equals));
    parsed.value = trimBlanks(trimmed.substr(equals + 1));
    parsed.valueStart = static_cast<std::size_t>(trimmed.data() - text.data()) + equals + 1;
    return parsed;
}

} // namespace ziq::profile
