#include "capture/link_recognition.h"

#include "app/program.h"
#include "capture/to_text_window.h"
#include "links/link_catcher_window.h"
#include "settings/setting_number.h"

namespace ziq {

bool looksLikeLink(const QString& text, LinkMode mode) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                                    std::size_t(text.size()));
    return isLinkText(units, mode);
}

void recognizeLink(Program& program) {
    if (!program.frmToText || !program.frmLinkCatcher) {
        return;
    }
    const QString caught = program.frmToText->text();
    // A setting that is not a number lets the strict test's early end run.
    const LinkMode mode =
        guardedEquals(program.settings.strictUrls, 1) ? LinkMode::Strict : LinkMode::Loose;
    if (!looksLikeLink(caught, mode)) {
        return;
    }
    LinkCatcherWindow& catcher = *program.frmLinkCatcher;
    const QString before = catcher.text();
    catcher.setText(before.isEmpty() ? caught : before + QStringLiteral("\r\n") + caught);
}

} // namespace ziq
