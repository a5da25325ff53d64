#pragma once

#include "capture/link_rules.h"

#include <QString>

namespace ziq {

class Program;

// Whether a captured text counts as a link: in strict mode it must start with a link
// identifier, in loose mode it may also contain a link fragment anywhere.
bool looksLikeLink(const QString& text, LinkMode mode);

// Tests the clipboard text window's text and, when it is a link, appends it as a new line to
// the link catcher window's text (which writes the link log).
void recognizeLink(Program& program);

} // namespace ziq
