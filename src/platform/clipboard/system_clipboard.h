#pragma once

#include "platform/clipboard/clipboard.h"

#include <memory>

namespace ziq {

// The desktop's clipboard as this session offers it to a program in the background.
class SystemClipboard : public Clipboard {
public:
    // The clipboard's content may live in its owner and vanish with it. When the plain text
    // on it is ours, hand it to a small keeper process that serves it on after this program
    // has ended. Returns whether the keeper took it over.
    virtual bool keepTextAfterExit() = 0;
};

// The compositor's data control where a Wayland session offers it; else the toolkit's
// clipboard (on X11, or through XWayland where the compositor bridges the clipboard).
std::unique_ptr<SystemClipboard> openSystemClipboard();

} // namespace ziq
