#pragma once

#include "capture/link_rules.h"

#include <QString>

namespace ziq {

struct Settings;

// Whether a captured text counts as a link: in strict mode it must start with a link
// identifier, in loose mode it may also contain a link fragment anywhere.
bool looksLikeLink(const QString& text, LinkMode mode);

// The same test in the mode the settings choose; a strictness that is not a number is strict.
bool isCaughtLink(const QString& text, const Settings& settings);

} // namespace ziq
