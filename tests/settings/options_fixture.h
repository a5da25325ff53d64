#pragma once

#include "settings/program.h"
#include "profile/profile_file.h"
#include "settings/load_settings.h"
#include "settings/options_window.h"
#include "settings/read_ini_value.h"
#include "settings/settings_paths.h"
#include "support/temp_folder.h"
#include "support/test_program.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <map>
#include <string>

namespace ziq::test {

// A program over fakes whose settings file was initialised with the defaults.
class OptionsFixture : public testing::Test {
protected:
    void SetUp() override {
        LoadSettings(program(), tp.messages);
        tp.messages.shown.clear();
    }
    void TearDown() override { flush(); }

    Program& program() { return *tp.program; }
    Application& app() { return *tp.app; }
    Settings& settings() { return tp.program->settings; }
    std::string iniPath() const { return tp.path("ziq2.ini"); }
    std::string fileText() const { return readFile(filePath(iniPath())); }
    std::string stored(const char* section, const char* key) const {
        return ReadIniValue(section, key, iniPath());
    }
    void store(const char* section, const char* key, const std::string& value) {
        ASSERT_TRUE(profile::writeString(section, key, value, filePath(iniPath())));
    }
    // Changes keys of the file ("SECTION/KEY" -> value) and loads the settings from it.
    void reload(const std::map<std::string, std::string>& changes) {
        for (const auto& [name, value] : changes) {
            const auto slash = name.find('/');
            store(name.substr(0, slash).c_str(), name.substr(slash + 1).c_str(), value);
        }
        LoadSettings(program(), tp.messages);
    }

    OptionsWindow& open() {
        OptionsWindow& window = app().options();
        window.show();
        return window;
    }
    // Lets windows that were discarded go.
    static void flush() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::size_t noticesShown() const {
        std::size_t count = 0;
        for (const ShownMessage& message : tp.messages.shown) {
            count += message.text.rfind("NOTICE: ", 0) == 0 ? 1 : 0;
        }
        return count;
    }

    TestProgram tp;
};

// The name of the one selected option button of a frame; empty unless exactly one is.
inline QString selectedIn(const QGroupBox* frame) {
    QString selected;
    int count = 0;
    for (const QRadioButton* option : frame->findChildren<QRadioButton*>()) {
        if (option->isChecked()) {
            selected = option->objectName();
            ++count;
        }
    }
    return count == 1 ? selected : QString();
}

} // namespace ziq::test
