#include "platform/system/executable_directory.h"

#include "platform/system/app_info.h"
#include "settings/settings_paths.h"
#include "support/temp_folder.h"
#include "support/line_ending.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifdef _WIN32
#include <process.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ; // NOLINT: the process's environment, handed on to the child
#endif

namespace ziq::test {
namespace {

namespace fs = std::filesystem;

// Starts `program` from the current working folder, waits for it and gives its exit code.
int runProgram(const fs::path& program) {
#ifdef _WIN32
    return int(_wspawnl(_P_WAIT, program.c_str(), L"probe", nullptr));
#else
    char name[] = "probe";
    char* arguments[] = {name, nullptr};
    pid_t child = 0;
    if (::posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments, environ) != 0) {
        return -1;
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
#endif
}

// Runs `body` with `folder` as the working folder.
template <typename Body> void inWorkingFolder(const fs::path& folder, Body body) {
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    body();
    fs::current_path(previous);
}

TEST(ExecutableDirectory, IsTheRunningProgramsFolderWhateverTheWorkingFolder) {
    TempFolder elsewhere;
    std::string folder;
    inWorkingFolder(elsewhere.path(), [&] { folder = executableDirectory(); });
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(filePath(folder).is_absolute()) << folder;
    EXPECT_TRUE(fs::is_regular_file(filePath(folder) / ZIQ_TEST_FILE_NAME)) << folder;
    EXPECT_FALSE(fs::equivalent(filePath(folder), elsewhere.path()));
    EXPECT_NE(folder.back(), kPathSeparator); // only a root ends in one
#ifdef _WIN32
    EXPECT_EQ(folder.find('/'), std::string::npos) << folder;
#endif
}

// The program copied into a new folder whose name is not plain ASCII, started from another
// one: it must find the new folder and put a settings file there with native line ends.
TEST(ExecutableDirectory, CopiedProgramKeepsItsSettingsInItsNewFolder) {
    TempFolder temp;
    const std::string folderName = "ZIQ2 T\xC3\xABst \xC3\xBC";
    const fs::path folder = temp.path() / filePath(folderName);
    fs::create_directories(folder);
    const fs::path probe = folder / ZIQ_PROBE_FILE_NAME;
    fs::copy_file(filePath(executableDirectory()) / ZIQ_PROBE_FILE_NAME, probe);

    TempFolder elsewhere;
    int exitCode = -1;
    inWorkingFolder(elsewhere.path(), [&] { exitCode = runProgram(probe); });
    ASSERT_EQ(exitCode, 0);
    EXPECT_FALSE(fs::exists(elsewhere.path() / "ziq2.ini"));

    const std::string content = readFile(folder / "ziq2.ini");
    const std::string head = "[probe]" + std::string(kEol) + "folder=";
    ASSERT_TRUE(content.starts_with(head) && content.ends_with(kEol)) << content;
    const std::string reportedFolder =
        content.substr(head.size(), content.size() - head.size() - std::string_view(kEol).size());
    EXPECT_TRUE(reportedFolder.ends_with(kPathSeparator + folderName)) << reportedFolder;
    EXPECT_TRUE(fs::equivalent(filePath(reportedFolder), folder)) << reportedFolder;
#ifdef _WIN32
    EXPECT_EQ(reportedFolder.find('/'), std::string::npos) << reportedFolder;
#endif
}

TEST(ExecutableDirectory, RootKeepsItsOneSeparatorAndSettingsSitAtTheRoot) {
    const auto settingsBeside = [](const std::string& program) {
        AppInfo app;
        app.programDir = folderOfExecutable(program);
        return settingsFilePath(app);
    };
#ifdef _WIN32
    EXPECT_EQ(folderOfExecutable("C:\\ziq2.exe"), "C:\\");
    EXPECT_EQ(settingsBeside("C:\\ziq2.exe"), "C:\\ziq2.ini");
    EXPECT_EQ(settingsBeside("\\\\?\\D:\\ziq2.exe"), "\\\\?\\D:\\ziq2.ini");
    EXPECT_EQ(folderOfExecutable("C:\\Tools\\ZIQ2\\ziq2.exe"), "C:\\Tools\\ZIQ2");
    EXPECT_EQ(settingsBeside("C:\\Tools\\ZIQ2\\ziq2.exe"), "C:\\Tools\\ZIQ2\\ziq2.ini");
    EXPECT_EQ(settingsBeside("\\\\server\\share\\ziq2.exe"), "\\\\server\\share\\ziq2.ini");
    EXPECT_EQ(folderOfExecutable("ziq2.exe"), "");
#else
    EXPECT_EQ(folderOfExecutable("/ZIQ2"), "/");
    EXPECT_EQ(settingsBeside("/ZIQ2"), "/ziq2.ini");
    EXPECT_EQ(folderOfExecutable("/opt/ziq2/ZIQ2"), "/opt/ziq2");
    EXPECT_EQ(settingsBeside("/opt/ziq2/ZIQ2"), "/opt/ziq2/ziq2.ini");
    EXPECT_EQ(folderOfExecutable("ZIQ2"), "");
#endif
}

} // namespace
} // namespace ziq::test
