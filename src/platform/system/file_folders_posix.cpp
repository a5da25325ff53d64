#include "platform/system/file_folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace ziq {

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

FileFolders fileFoldersFor(const std::string& programDir) {
    FolderFacts facts;
    facts.programDir = programDir;
    facts.programDirWritable = ::access(programDir.c_str(), W_OK) == 0;
    facts.xdgConfigHome = variable("XDG_CONFIG_HOME");
    facts.xdgDataHome = variable("XDG_DATA_HOME");
    facts.home = variable("HOME");
    FileFolders folders = chooseFileFolders(facts);
    for (const std::string* folder : {&folders.settings, &folders.logs}) {
        if (*folder != programDir) {
            // A folder that cannot be made shows up in the first write's error message.
            std::error_code ignored;
            std::filesystem::create_directories(*folder, ignored);
        }
    }
    return folders;
}

} // namespace ziq
