#include "settings/options_fixture.h"

#include <QCheckBox>
#include <QPushButton>
#include <filesystem>

namespace ziq::test {
namespace {

constexpr const char* kSaveError =
    "Error saving settings, make sure ini file is not write protected";

using OptionsSavingTest = OptionsFixture;

TEST_F(OptionsSavingTest, SavingUntouchedWritesWhatTheWindowShows) {
    reload({{"ZIQ/FREQUENCY", "7"},
            {"ZIQ/SAVETYPE", "7"},
            {"LINKCATCHER/SAVETYPE", "7"},
            {"ZIQ/BEEPON", "0"},
            {"LINKCATCHER/STRICTURLS", "2"},
            {"ZIQ/AUTOSAVE", "no"}});
    const std::string savedFolder = stored("ZIQ", "SAVEDFILEPATH");
    OptionsWindow& w = open();
    EXPECT_EQ(noticesShown(), 0u);
    w.Command2->click();

    EXPECT_EQ(stored("ZIQ", "FREQUENCY"), "1");
    EXPECT_EQ(stored("ZIQ", "SAVETYPE"), "3");
    EXPECT_EQ(stored("LINKCATCHER", "SAVETYPE"), "2");
    EXPECT_EQ(stored("ZIQ", "ON"), "1");
    EXPECT_EQ(stored("ZIQ", "BEEPON"), "0");
    EXPECT_EQ(stored("ZIQ", "AUTOOOPENVIEWERS"), "0");
    EXPECT_EQ(stored("ZIQ", "AUTOSAVE"), "0");
    EXPECT_EQ(stored("ZIQ", "HITNRUN"), "0");
    EXPECT_EQ(stored("LINKCATCHER", "ON"), "1");
    EXPECT_EQ(stored("LINKCATCHER", "STRICTURLS"), "0");
    EXPECT_EQ(stored("LINKCATCHER", "AUTOSAVE"), "1");
    EXPECT_EQ(stored("ZIQ", "SAVEDFILEPATH"), savedFolder);
    EXPECT_EQ(stored("ZIQ", "FIRSTRUN"), "9");
    // The program runs on the values just saved, and the window is gone.
    EXPECT_EQ(settings().frequency, "1");
    EXPECT_EQ(settings().autoSave, "0");
    EXPECT_EQ(settings().strictUrls, "0");
    EXPECT_EQ(app().frmOptions, nullptr);
    EXPECT_TRUE(tp.messages.shown.empty());
}

TEST_F(OptionsSavingTest, EditsReachTheFileAndTheRunningProgram) {
    settings().clipboardOn = "0"; // the tray menu turned watching off in memory
    OptionsWindow& w = open();
    EXPECT_FALSE(w.Check1->isChecked());
    w.Check1->click();
    w.Check3->click();
    w.Check4->click();
    w.Option3->click();
    w.Option6->click();
    w.Option9->click();
    w.Check7->click(); // notice, then hit-and-run once saved
    w.Command2->click();

    EXPECT_EQ(stored("ZIQ", "ON"), "1");
    EXPECT_EQ(stored("ZIQ", "AUTOOOPENVIEWERS"), "1");
    EXPECT_EQ(stored("LINKCATCHER", "ON"), "0");
    EXPECT_EQ(stored("ZIQ", "FREQUENCY"), "3");
    EXPECT_EQ(stored("ZIQ", "SAVETYPE"), "1");
    EXPECT_EQ(stored("LINKCATCHER", "SAVETYPE"), "1");
    EXPECT_EQ(stored("ZIQ", "HITNRUN"), "1");
    EXPECT_EQ(settings().clipboardOn, "1");
    EXPECT_EQ(settings().frequency, "3");
    EXPECT_EQ(settings().linkCatcherOn, "0");
    EXPECT_EQ(settings().hitAndRun, 1);
    EXPECT_EQ(noticesShown(), 1u);
    EXPECT_EQ(tp.messages.shown.size(), 1u);
}

TEST_F(OptionsSavingTest, UnwritableFileWarnsOnceAndTheWindowStillCloses) {
    OptionsWindow& w = open();
    w.Option5->click();
    // A folder where the file should be: every write fails, root or not.
    std::filesystem::remove(filePath(iniPath()));
    std::filesystem::create_directory(filePath(iniPath()));
    w.Command2->click();
    ASSERT_FALSE(tp.messages.shown.empty());
    EXPECT_EQ(tp.messages.shown[0].text, kSaveError);
    EXPECT_EQ(tp.messages.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(program().lastWriteResult, 0);
    std::size_t warnings = 0;
    for (const ShownMessage& message : tp.messages.shown) {
        warnings += message.text == kSaveError ? 1 : 0;
    }
    EXPECT_EQ(warnings, 1u);
    EXPECT_EQ(app().frmOptions, nullptr);
}

TEST_F(OptionsSavingTest, CancelAndTheCloseBoxWriteNothing) {
    const std::string before = fileText();
    OptionsWindow& w = open();
    w.Check1->click();
    w.Option2->click();
    w.Command3->click();
    EXPECT_EQ(app().frmOptions, nullptr);
    flush();

    OptionsWindow& again = open();
    EXPECT_TRUE(again.Check1->isChecked());
    again.Option4->click();
    again.close();
    flush();
    EXPECT_EQ(fileText(), before);
    EXPECT_EQ(settings().frequency, "1");
    EXPECT_EQ(settings().clipboardOn, "1");
}

} // namespace
} // namespace ziq::test
