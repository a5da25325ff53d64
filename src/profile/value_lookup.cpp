#include "profile/value_lookup.h"

#include "profile/profile_line.h"
#include "profile/profile_text.h"

namespace ziq::profile {

ValueLookup::ValueLookup(std::string_view section, std::string_view key)
    : section_(section), key_(key) {}

bool ValueLookup::onLine(const Line& line) {
    if (done_) {
        return false;
    }
    const ParsedLine parsed = parseLine(line.text);
    if (parsed.kind == LineKind::Header) {
        if (inSection_) {
            done_ = true; // a later section of the same name is never searched
        } else if (equalsIgnoringAsciiCase(parsed.name, section_)) {
            inSection_ = true;
        }
    } else if (inSection_ && parsed.kind == LineKind::Entry && parsed.hasEquals &&
               equalsIgnoringAsciiCase(parsed.name, key_)) {
        value_.assign(parsed.value);
        found_ = true;
        done_ = true;
    }
    return !done_;
}

} // namespace ziq::profile
