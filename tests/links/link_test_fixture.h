#pragma once

#include "app/program.h"
#include "capture/to_text_window.h"
#include "links/link_catcher_window.h"
#include "support/temp_folder.h"
#include "support/test_program.h"

#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace ziq::test {

// A program with both viewer windows loaded, link catching and logging on (strict, one
// continuous file) into the program folder.
class LinkWindowsTest : public testing::Test {
protected:
    void SetUp() override {
        Settings& s = tp.program->settings;
        s.linkCatcherOn = "1";
        s.strictUrls = "1";
        s.linkAutoSave = "1";
        s.linkSaveType = "1";
        s.linkSavedFilePath = tp.dir() + "/";
        s.autoSave = "0"; // the clipboard log is not what these tests look at
        tp.program->frmToText = std::make_unique<ToTextWindow>(*tp.program);
        tp.program->frmLinkCatcher = std::make_unique<LinkCatcherWindow>(*tp.program);
    }

    LinkCatcherWindow& catcher() { return *tp.program->frmLinkCatcher; }
    // What the poller does on a capture: the clipboard text window takes the new text.
    void captured(const QString& text) { tp.program->frmToText->setText(text); }
    std::string linkLog() const { return readFile(tp.path("ziqurl.txt")); }

    TestProgram tp;
};

} // namespace ziq::test
