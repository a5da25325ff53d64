#pragma once

#include "capture/to_text_window.h"
#include "support/line_ending.h"
#include "support/temp_folder.h"
#include "support/test_program.h"

#include <QDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace ziq::test {

// A program over fakes with the initialised defaults and a loaded clipboard text window.
// The window's timer is stopped: tests drive the ticks.
class CaptureTest : public testing::Test {
protected:
    void SetUp() override {
        Settings& s = program().settings;
        s.clipboardOn = "1";
        s.beepOn = "1";
        s.autoOpenViewers = "0";
        s.frequency = "1";
        s.autoSave = "1";
        s.saveType = "3";
        s.savedFilePath = withTrailingSeparator(tp.dir());
        s.hitAndRun = 0;
        s.linkCatcherOn = "1";
        s.strictUrls = "1";
        s.linkAutoSave = "0";
        s.linkSaveType = "2";
        s.linkSavedFilePath = s.savedFilePath;
        textWindow = std::make_unique<ToTextWindow>(program());
        window().Timer1->stop();
    }

    Program& program() { return *tp.program; }
    ToTextWindow& window() { return *textWindow; }
    // The clipboard log file of the fake clock's day under the default scheme.
    std::string dayLog() const { return readFile(tp.path("20040125.txt")); }
    std::size_t logFiles() const {
        return QDir(tp.folder.path()).entryList({QStringLiteral("*.txt")}, QDir::Files).size();
    }
    static std::string entry(const std::string& section, const std::string& text) {
        return "[" + section + "]" + kEol + "TEXT=" + text + kEol;
    }

    TestProgram tp;
    std::unique_ptr<ToTextWindow> textWindow;
};

} // namespace ziq::test
