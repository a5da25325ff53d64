#pragma once

#include "history/log_files.h"

namespace ziq::history {

inline constexpr const char* kHistoryTitle = "ZIQ2 History";

// Runs the window until it closes; a second start brings the first window forward and ends.
// The text copied from it is handed on to the keeper, so it outlives the program.
int runHistoryWindow(int& argc, char* argv[], const LogFolders& folders);

} // namespace ziq::history
