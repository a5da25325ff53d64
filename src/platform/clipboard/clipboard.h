#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QObject;

namespace ziq {

// The system clipboard as the poller sees it: plain text only.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // The clipboard's plain text, empty when it holds none; nullopt when the read failed.
    virtual std::optional<QString> readText() = 0;
    virtual bool hasText() = 0;
    // Content that a password manager marked as secret must be left alone. Nothing when that
    // cannot be told now: then nothing may be read, and the content is looked at again later.
    virtual std::optional<bool> isSecret() = 0;
    virtual bool clear() = 0;
    virtual bool writeText(const QString& text) = 0;
    // Clears the clipboard and puts `text` on it; where the system can, as one change that no
    // other program comes between. True once the text is there.
    virtual bool replaceText(const QString& text) {
        clear();
        return writeText(text);
    }
    // A count that moves on whenever the content may have changed, by this program or another;
    // nullopt where the system does not say (then only a read tells).
    virtual std::optional<std::uint64_t> changeCount() = 0;

    // A clipboard that looks at its content in the background, so that no read waits on
    // another program, may not have the answer to isSecret(), readText() or hasText() yet:
    // then answerPending() is true and `resume` runs on this thread (unless `context` has
    // gone) once it has, when asking again brings it.
    virtual bool answerPending() { return false; }
    virtual void whenAnswered(QObject* context, std::function<void()> resume) {
        (void)context;
        (void)resume;
    }
};

} // namespace ziq
