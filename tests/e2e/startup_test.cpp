#include "e2e/e2e_harness.h"

#include <gtest/gtest.h>

namespace ziq::e2e {
namespace {

TEST(Startup, FirstRunWelcomesWritesDefaultsAndEndsOnSigterm) {
    if (!haveDisplay()) {
        GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
    }
    RealProgram program;
    program.start();
    const auto welcome = waitForWindow(QStringLiteral("^ZIQ2$"));
    ASSERT_TRUE(welcome.has_value()) << "the welcome message did not appear";
    // The defaults are on disk before the welcome message is shown.
    const std::string ini = readFile(program.file("ziq2.ini"));
    const std::string dir = program.dir().string() + "/";
    EXPECT_EQ(ini, "[ZIQ]\nON=1\nBEEPON=1\nAUTOOOPENVIEWERS=0\nFREQUENCY=1\nAUTOSAVE=1\n"
                   "SAVETYPE=3\nSAVEDFILEPATH=" +
                       dir +
                       "\nHITNRUN=0\nFIRSTRUN=9\n[LINKCATCHER]\nON=1\nSTRICTURLS=1\n"
                       "AUTOSAVE=1\nSAVETYPE=2\nlinkcatcherSAVEDFILEPATH=" +
                       dir + "\n");
    pressKey(*welcome, QStringLiteral("Return"));
    EXPECT_TRUE(waitUntil([] { return findWindows(QStringLiteral("^ZIQ2$")).isEmpty(); }));
    ASSERT_TRUE(program.running());

    program.terminate();
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(readFile(program.file("ziq2.ini")), ini);
}

TEST(Startup, SigtermWhileTheWelcomeIsOpenEndsTheProgram) {
    if (!haveDisplay()) {
        GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
    }
    RealProgram program;
    program.start();
    ASSERT_TRUE(waitForWindow(QStringLiteral("^ZIQ2$")).has_value()) << "no welcome message";
    program.terminate();
    ASSERT_TRUE(program.waitForExit()) << "the program ran on, unseen";
    EXPECT_EQ(program.exitCode(), 0);
}

TEST(Startup, InitialisedFileStartsSilentlyAndKeepsRunning) {
    if (!haveDisplay()) {
        GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
    }
    RealProgram program;
    program.writeSettings({{"ZIQ/ON", "0"}});
    const std::string before = readFile(program.file("ziq2.ini"));
    program.start();
    EXPECT_FALSE(program.waitForExit(1500ms));
    EXPECT_TRUE(findWindows(QStringLiteral("^ZIQ2$")).isEmpty());
    program.terminate();
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(readFile(program.file("ziq2.ini")), before);
}

} // namespace
} // namespace ziq::e2e
