#include "platform/system/file_folders.h"

namespace ziq {

// The zip keeps everything beside the program, wherever it was unpacked.
FileFolders fileFoldersFor(const std::string& programDir) {
    return {programDir, programDir};
}

} // namespace ziq
