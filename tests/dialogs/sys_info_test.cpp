#include "platform/system/file_lookup.h"
#include "dialogs/sys_info.h"
#include "support/fake_registry.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace ziq::test {
namespace {

namespace fs = std::filesystem;

const std::string kToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

void writeFile(const fs::path& file, fs::perms permissions) {
    std::ofstream(file) << "#!/bin/sh\n";
    fs::permissions(file, permissions);
}

void writeProgram(const fs::path& file) {
    writeFile(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

class StartSysInfoTest : public testing::Test {
protected:
    bool startTool(std::string_view searchPath = "") {
        return startSysInfoTool(registry, searchPath, [this](const std::string& path) {
            started.push_back(path);
            return startSucceeds;
        });
    }

    FakeRegistry registry;
    TempFolder folder;
    std::vector<std::string> started;
    bool startSucceeds = true;
};

TEST_F(StartSysInfoTest, ToolPathIsStartedWithoutLookingForTheFile) {
    registry.setText(kToolKey, "PATH", "C:\\Tools\\msinfo32.exe");
    registry.setText(kFolderKey, "MSINFO", folder.path().string());
    EXPECT_TRUE(startTool());
    EXPECT_EQ(started, std::vector<std::string>{"C:\\Tools\\msinfo32.exe"});
    EXPECT_EQ(registry.queried, std::vector<std::string>{kToolKey + "\\PATH"});
}

TEST_F(StartSysInfoTest, ToolFolderIsUsedWhenTheProgramIsThere) {
    writeProgram(folder.path() / "MSINFO32.EXE");
    registry.setText(kFolderKey, "MSINFO", folder.path().string());
    EXPECT_TRUE(startTool());
    EXPECT_EQ(started, std::vector<std::string>{(folder.path() / "MSINFO32.EXE").string()});
    EXPECT_EQ(registry.opens.size(), 2u);
    EXPECT_EQ(registry.opens[0].subKey, kToolKey);
    EXPECT_EQ(registry.opens[1].subKey, kFolderKey);
    EXPECT_EQ(registry.queried, std::vector<std::string>{kFolderKey + "\\MSINFO"});
}

TEST_F(StartSysInfoTest, ToolFolderWithoutTheProgramMeansUnavailable) {
    registry.setText(kFolderKey, "MSINFO", folder.path().string());
    fs::create_directory(folder.path() / "MSINFO32.EXE"); // a folder is not the program
    // The registry's answer stands: a program on the search path is not taken instead.
    writeProgram(folder.path() / "hardinfo");
    EXPECT_FALSE(startTool(folder.path().string()));
    EXPECT_TRUE(started.empty());
}

TEST_F(StartSysInfoTest, NothingAnywhereMeansUnavailable) {
    EXPECT_FALSE(startTool(folder.path().string()));
    EXPECT_TRUE(started.empty());
    ASSERT_EQ(registry.opens.size(), 2u);
    EXPECT_EQ(registry.opens[0].subKey, kToolKey);
    EXPECT_EQ(registry.opens[1].subKey, kFolderKey);
}

TEST_F(StartSysInfoTest, ProgramThatWillNotStartMeansUnavailable) {
    registry.setText(kToolKey, "PATH", "C:\\Tools\\msinfo32.exe");
    startSucceeds = false;
    EXPECT_FALSE(startTool());
    EXPECT_EQ(started.size(), 1u);
}

TEST_F(StartSysInfoTest, ToolOfAnUnusableTypeIsFoundButCannotStart) {
    registry.setValue(kToolKey, "PATH", 3, "\x01\x02");
    EXPECT_FALSE(startTool());
    EXPECT_TRUE(started.empty()); // an empty path is never handed over
    EXPECT_EQ(registry.queried.size(), 1u);
}

#ifndef _WIN32
TEST_F(StartSysInfoTest, WithoutRegistryTheFirstKnownProgramOnThePathIsStarted) {
    const fs::path first = folder.path() / "first";
    const fs::path second = folder.path() / "second";
    fs::create_directories(first);
    fs::create_directories(second);
    writeProgram(second / "hardinfo");
    writeProgram(first / "xfce4-taskmanager");
    // Not executable, so not a program to start.
    writeFile(first / "kinfocenter", fs::perms::owner_read | fs::perms::owner_write);
    const std::string searchPath = "relative/dir::" + first.string() + ":" + second.string();

    SystemRegistry system;
    std::vector<std::string> systemStarted;
    EXPECT_TRUE(startSysInfoTool(system, searchPath, [&](const std::string& path) {
        systemStarted.push_back(path);
        return true;
    }));
    // Preference order counts, not the order of the folders.
    EXPECT_EQ(systemStarted, std::vector<std::string>{(second / "hardinfo").string()});
}

TEST(FileLookupTest, OnlyAbsoluteFoldersOfTheSearchPathAreSearched) {
    TempFolder folder;
    writeProgram(folder.path() / "hardinfo");
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    const auto fromEmpty = findOnSearchPath(sysInfoPrograms(), ":.:");
    const auto fromAbsolute = findOnSearchPath(sysInfoPrograms(), folder.path().string());
    fs::current_path(previous);
    EXPECT_EQ(fromEmpty, std::nullopt);
    EXPECT_EQ(fromAbsolute, (folder.path() / "hardinfo").string());
}
#else
TEST_F(StartSysInfoTest, WithoutRegistryValuesMsinfo32OfTheSystemFolderIsStarted) {
    writeProgram(folder.path() / "msinfo32.exe");
    EXPECT_TRUE(startTool(folder.path().string()));
    EXPECT_EQ(started, std::vector<std::string>{(folder.path() / "msinfo32.exe").string()});
    // The system folder, not the PATH, which may lead anywhere.
    const std::string system = sysInfoSearchPath();
    EXPECT_TRUE(fs::is_directory(system)) << system;
    std::string name = fs::path(system).filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return char(std::tolower(c)); });
    EXPECT_EQ(name, "system32");
}
#endif

TEST(FileLookupTest, NormalFileIsAnExistingFileNotAFolder) {
    TempFolder folder;
    writeProgram(folder.path() / "tool");
    EXPECT_TRUE(isNormalFile((folder.path() / "tool").string()));
    EXPECT_FALSE(isNormalFile(folder.path().string()));
    EXPECT_FALSE(isNormalFile((folder.path() / "missing").string()));
    EXPECT_FALSE(isNormalFile(""));
}

} // namespace
} // namespace ziq::test
