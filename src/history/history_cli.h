#pragma once

#include "history/log_files.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

// The command line of ziq2-history:
//   --list [--links | --clips] [--since YYYY-MM-DD] [--until YYYY-MM-DD] [--limit N] [--json]
//          [WORD...]
//   --print ID
//   --copy ID
// Exit codes: 0 something was printed (or copied), 1 nothing matched, 2 bad input; each with
// one line on `err`.
namespace ziq::history {

inline constexpr int kExitPrinted = 0;
inline constexpr int kExitNothing = 1;
inline constexpr int kExitBadInput = 2;

struct CliContext {
    LogFolders folders;
    std::string settingsFile;
    bool settingsFound = true;
    std::ostream& out;
    std::ostream& err;
    // Puts UTF-8 text on the clipboard so that it outlives the program; false on failure.
    std::function<bool(const std::string& text)> copyText;
};

// True when the arguments ask for the command line rather than the window (any argument).
bool wantsCommandLine(const std::vector<std::string>& arguments);

int runCommandLine(const std::vector<std::string>& arguments, CliContext& context);

// "YYYY-MM-DD" of a real calendar day as YYYYMMDD; 0 otherwise.
int parseDateArgument(const std::string& text);

// The text as --list shows it: line breaks as ⏎, tabs as →, invalid bytes as U+FFFD, cut to
// 200 characters with … when longer.
std::string listedText(std::string_view text);

} // namespace ziq::history
