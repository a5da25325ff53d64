#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace ziq {

// The system clipboard as the poller sees it: plain text only.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // The clipboard's plain text, empty when it holds none; nullopt when the read failed.
    virtual std::optional<QString> readText() = 0;
    virtual bool hasText() = 0;
    // Content that a password manager marked as secret must be left alone.
    virtual bool isSecret() = 0;
    virtual bool clear() = 0;
    virtual bool writeText(const QString& text) = 0;
    // A count that moves on whenever the content may have changed, by this program or another;
    // nullopt where the system does not say (then only a read tells).
    virtual std::optional<std::uint64_t> changeCount() = 0;
};

} // namespace ziq
