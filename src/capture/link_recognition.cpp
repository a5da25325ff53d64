#include "capture/link_recognition.h"

#include "settings/setting_number.h"
#include "settings/settings.h"

namespace ziq {

bool looksLikeLink(const QString& text, LinkMode mode) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                                    std::size_t(text.size()));
    return isLinkText(units, mode);
}

bool isCaughtLink(const QString& text, const Settings& settings) {
    // A setting that is not a number lets the strict test's early end run.
    const LinkMode mode =
        guardedEquals(settings.strictUrls, 1) ? LinkMode::Strict : LinkMode::Loose;
    return looksLikeLink(text, mode);
}

} // namespace ziq
