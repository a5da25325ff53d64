#pragma once

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "support/fake_registry.h"
#include "support/recording_message_boxes.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace ziq::test {

class FakeClipboard final : public Clipboard {
public:
    std::optional<QString> readText() override {
        ++reads;
        if (beforeRead) {
            beforeRead();
        }
        if (failReads > 0) {
            --failReads;
            return std::nullopt;
        }
        return text;
    }
    bool hasText() override { return hasTextOverride.value_or(!text.isEmpty()); }
    bool isSecret() override { return secret; }
    bool clear() override {
        ++clears;
        text.clear();
        return true;
    }
    bool writeText(const QString& newText) override {
        writes.push_back(newText);
        text = newText;
        return true;
    }

    QString text;
    bool secret = false;
    std::optional<bool> hasTextOverride;
    int failReads = 0; // the next N reads fail
    // Runs at the start of every read (counted in `reads`), e.g. to let another program
    // change the clipboard, or fail one read, between two reads of one tick.
    std::function<void()> beforeRead;
    int reads = 0;
    int clears = 0;
    QStringList writes;
};

class FakeClock final : public Clock {
public:
    LocalDateTime now() const override { return time; }
    LocalDateTime time{2004, 1, 25, 9, 30, 5};
};

class FakeDesktop final : public Desktop {
public:
    void beep() override { ++beeps; }
    bool startProgram(const QString& program, const QStringList& arguments) override {
        started.push_back(QStringList{program} + arguments);
        return startSucceeds;
    }
    bool openDocument(const QString& pathOrUrl) override {
        opened.push_back(pathOrUrl);
        return true;
    }
    int beeps = 0;
    bool startSucceeds = true;
    std::vector<QStringList> started;
    QStringList opened;
};

} // namespace ziq::test
