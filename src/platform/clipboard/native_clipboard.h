#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace ziq {

// The system's clipboard asked and set directly, where the toolkit's way falls short
// (Windows). The toolkit opens the clipboard for every question and takes a clipboard that
// another program holds open for one without formats; it offers our text unrendered, so the
// text lives only as long as our GUI thread answers; and it clears and claims the clipboard
// as two changes, between which every clipboard listener opens it.
class NativeClipboard {
public:
    using Pause = std::function<void(std::chrono::milliseconds)>;
    // A replace that finds the clipboard held by another program is tried this often, with
    // this pause in between: about half a second in all.
    static constexpr int kReplaceTries = 5;
    static constexpr std::chrono::milliseconds kBetweenTries{100};

    // Nothing where the toolkit serves alone (X11, Wayland). `pause` waits between tries;
    // by default it sleeps.
    static std::unique_ptr<NativeClipboard> open(Pause pause = {});
    virtual ~NativeClipboard() = default;

    // Whether a password manager marked the content as secret; nothing when that cannot be
    // told now (another program holds the clipboard open): look again later.
    virtual std::optional<bool> isSecret() = 0;
    // Whether plain text is offered, asked without opening the clipboard.
    virtual bool textOffered() = 0;
    // Empties the clipboard and puts `text` on it, rendered at once, in one change. The
    // content it replaces kept off the clipboard history or the cloud keeps our text off
    // them too. True once the text is on the clipboard and ours.
    virtual bool replaceWithText(const QString& text) = 0;
    // Whether the clipboard holds the text of our latest replace.
    virtual bool holdsOurText() = 0;
};

} // namespace ziq
