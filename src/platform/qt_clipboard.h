#pragma once

#include "platform/clipboard.h"

namespace ziq {

class QtClipboard final : public Clipboard {
public:
    std::optional<QString> readText() override;
    bool hasText() override;
    bool isSecret() override;
    bool clear() override;
    bool writeText(const QString& text) override;
};

} // namespace ziq
