#include "platform/system/file_folders.h"

#include "platform/system/app_info.h"

namespace ziq {

namespace {

// A relative XDG value is to be ignored, as if unset.
std::string baseFolder(const std::string& variable, const std::string& home,
                       const char* belowHome) {
    if (!variable.empty() && variable.front() == '/') {
        return variable;
    }
    return home.empty() ? std::string() : joinProgramPath(home, belowHome);
}

// /usr belongs to the package manager even for root, who could write there.
bool isSystemFolder(const std::string& folder) {
    return folder == "/usr" || folder.rfind("/usr/", 0) == 0;
}

} // namespace

FileFolders chooseFileFolders(const FolderFacts& facts) {
    if (facts.programDirWritable && !isSystemFolder(facts.programDir)) {
        return {facts.programDir, facts.programDir};
    }
    const std::string config = baseFolder(facts.xdgConfigHome, facts.home, ".config");
    const std::string data = baseFolder(facts.xdgDataHome, facts.home, ".local/share");
    if (config.empty() || data.empty()) {
        // No home to go to: stay beside the program, whose write error then says where.
        return {facts.programDir, facts.programDir};
    }
    return {joinProgramPath(config, "ziq2"), joinProgramPath(data, "ziq2")};
}

} // namespace ziq
