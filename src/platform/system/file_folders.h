#pragma once

#include <string>

namespace ziq {

// Where ZIQ2 keeps "ziq2.ini" and, until the user chooses others, the folder of both logs.
struct FileFolders {
    std::string settings;
    std::string logs;
};

// What the choice depends on; empty texts stand for unset variables.
struct FolderFacts {
    std::string programDir;
    bool programDirWritable = true;
    std::string xdgConfigHome;
    std::string xdgDataHome;
    std::string home;
};

// Beside the program while its folder is the user's to write (a build, a per-user install, an
// unpacked zip); otherwise (a system-wide install) the user's XDG folders + "ziq2".
FileFolders chooseFileFolders(const FolderFacts& facts);

// The choice for the running program. Creates the folders it picks outside the program's own.
FileFolders fileFoldersFor(const std::string& programDir);

} // namespace ziq
