#include "platform/system/file_folders.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace ziq::test {
namespace {

#ifndef _WIN32
struct FolderCase {
    const char* name;
    FolderFacts facts;
    const char* settings;
    const char* logs;
};

class FileFoldersTest : public testing::TestWithParam<FolderCase> {};

TEST_P(FileFoldersTest, ChoosesByWhoMayWriteTheProgramFolder) {
    const FolderCase& c = GetParam();
    const FileFolders got = chooseFileFolders(c.facts);
    EXPECT_EQ(got.settings, c.settings);
    EXPECT_EQ(got.logs, c.logs);
}

INSTANTIATE_TEST_SUITE_P(
    Installs, FileFoldersTest,
    testing::Values(FolderCase{"build",
                               {"/src/build", true, "/x/cfg", "/x/data", "/home/u"},
                               "/src/build",
                               "/src/build"},
                    FolderCase{"package",
                               {"/usr/lib/ziq2", false, "/x/cfg", "/x/data", "/home/u"},
                               "/x/cfg/ziq2",
                               "/x/data/ziq2"},
                    FolderCase{"unset",
                               {"/usr/lib/ziq2", false, "", "", "/home/u"},
                               "/home/u/.config/ziq2",
                               "/home/u/.local/share/ziq2"},
                    FolderCase{"relative",
                               {"/opt/z", false, "cfg", "data", "/home/u/"},
                               "/home/u/.config/ziq2",
                               "/home/u/.local/share/ziq2"},
                    FolderCase{"rootInUsr",
                               {"/usr/lib/ziq2", true, "", "", "/root"},
                               "/root/.config/ziq2",
                               "/root/.local/share/ziq2"},
                    FolderCase{"homeless",
                               {"/usr/lib/ziq2", false, "", "", ""},
                               "/usr/lib/ziq2",
                               "/usr/lib/ziq2"}),
    [](const testing::TestParamInfo<FolderCase>& tested) {
        return std::string(tested.param.name);
    });

TEST(FileFolders, TheRunningProgramCreatesWhatItPicks) {
    TempFolder home;
    ::setenv("HOME", home.path().c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
    const FileFolders got = fileFoldersFor("/usr/lib/ziq2");
    EXPECT_EQ(got.settings, (home.path() / ".config" / "ziq2").string());
    EXPECT_TRUE(std::filesystem::is_directory(got.settings));
    EXPECT_TRUE(std::filesystem::is_directory(home.path() / "data" / "ziq2"));
    EXPECT_EQ(fileFoldersFor(home.path().string()).settings, home.path().string());
}
#endif

} // namespace
} // namespace ziq::test
