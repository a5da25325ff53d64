#pragma once

#include "app/application.h"
#include "capture/clipboard_poller.h"
#include "capture/to_text_window.h"
#include "links/link_catcher_window.h"
#include "settings/program.h"
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
        tp.app->loadViewers();
    }

    LinkCatcherWindow& catcher() { return *tp.app->frmLinkCatcher; }
    // What the poller does on a capture: the clipboard text window takes the new text.
    void captured(const QString& text) { tp.app->frmToText->setText(text); }
    // Link recognition, the step of a tick that follows a capture.
    void recognize() { tp.app->frmToText->poller().recognizeLink(); }
    // The link log with LF line ends on every system: the profile tests check the CRLF.
    std::string linkLog() const {
        std::string text = readFile(tp.path("ziqurl.txt"));
        std::erase(text, '\r');
        return text;
    }

    TestProgram tp;
};

} // namespace ziq::test
