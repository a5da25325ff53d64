#pragma once

// The Qt seams' doubles; the plain C++ ones have headers of their own.

#include "platform/clipboard/clipboard.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/tray_host.h"
#include "support/fake_clock.h"
#include "support/fake_registry.h"
#include "support/recording_message_boxes.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
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
    std::optional<bool> isSecret() override {
        pending_ = pendingAnswers > 0;
        if (pending_) {
            --pendingAnswers;
            return false;
        }
        if (untoldSecrecy > 0) {
            --untoldSecrecy;
            return std::nullopt;
        }
        return secret;
    }
    bool answerPending() override { return pending_; }
    void whenAnswered(QObject*, std::function<void()> resume) override {
        resume_ = std::move(resume);
    }
    // Brings in the answer that a look in the background owed.
    void answer() {
        pending_ = false;
        if (auto resume = std::exchange(resume_, nullptr)) {
            resume();
        }
    }
    bool clear() override {
        ++clears;
        if (failWrites > 0) {
            return false;
        }
        ++changes;
        text.clear();
        return true;
    }
    bool writeText(const QString& newText) override {
        writes.push_back(newText);
        if (failWrites > 0) {
            --failWrites;
            return false; // the text stays as it was, as when X11 ignores a late claim
        }
        ++changes;
        text = newText;
        return true;
    }
    // Like the real one, a new text always counts as a change; so do our own clear and write.
    std::optional<std::uint64_t> changeCount() override {
        if (!reportsChanges) {
            return std::nullopt;
        }
        if (text != countedText_ || secret != countedSecret_ ||
            hasTextOverride != countedHasText_) {
            countedText_ = text;
            countedSecret_ = secret;
            countedHasText_ = hasTextOverride;
            ++changes;
        }
        return changes;
    }

    QString text;
    bool secret = false;
    std::optional<bool> hasTextOverride;
    int failReads = 0;      // the next N reads fail
    int failWrites = 0;     // the next N writes (and clears before them) do not take
    int pendingAnswers = 0; // the next N looks answer later, through answer()
    int untoldSecrecy = 0;  // the next N looks cannot tell whether the content is secret
    // Runs at the start of every read (counted in `reads`), e.g. to let another program
    // change the clipboard, or fail one read, between two reads of one tick.
    std::function<void()> beforeRead;
    // False: the system does not say when the clipboard changes.
    bool reportsChanges = true;
    // Bump it for a change that keeps the text, e.g. another program offering it again.
    std::uint64_t changes = 0;
    int reads = 0;
    int clears = 0;
    QStringList writes;

private:
    bool pending_ = false;
    std::function<void()> resume_;
    QString countedText_;
    bool countedSecret_ = false;
    std::optional<bool> countedHasText_;
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

// An XEmbed tray unless told otherwise; its clock moves only when the test moves it.
class FakeTrayHost final : public TrayHost {
public:
    TrayKind kind() override { return trayKind; }
    void watchForTray(std::function<void()> appeared) override {
        trayAppeared = std::move(appeared);
    }
    std::chrono::milliseconds now() override { return time; }
    std::chrono::milliseconds doubleClickInterval() override { return interval; }
    void menuOpening(QWidget& /*owner*/) override { ++menusOpening; }
    void menuClosed(QWidget& /*owner*/) override { ++menusClosed; }
    TrayKind trayKind = TrayKind::IconEvents;
    int menusOpening = 0;
    int menusClosed = 0;
    std::function<void()> trayAppeared;
    std::chrono::milliseconds time{1000000};
    std::chrono::milliseconds interval{400};
};

} // namespace ziq::test
