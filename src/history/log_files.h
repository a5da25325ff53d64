#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The log files ZIQ2 writes, found by name in the two log folders.
namespace ziq::history {

enum class EntryKind { Capture, Link };

enum class LogScheme {
    ClipOneFile,    // ziq.txt
    ClipPerCapture, // YYYYMMDD_HHMMSS.txt
    ClipPerDay,     // YYYYMMDD.txt
    LinkOneFile,    // ziqurl.txt
    LinkPerDay,     // uYYYYMMDD.txt
};

EntryKind kindOf(LogScheme scheme);

struct LogFile {
    std::filesystem::path path;
    std::string name; // the scheme's part of the file name, e.g. "20240125.txt"
    LogScheme scheme = LogScheme::ClipOneFile;
    int date = 0; // YYYYMMDD from the name; 0 for the one-file schemes
    int time = 0; // HHMMSS from the name (per-capture files only)
};

// Where the logs are: each folder text as ZIQ2 stores it, a prefix that the file names are put
// straight after ("C:\logs\" or, without the separator, "C:\logs" + "ziq.txt").
struct LogFolders {
    std::string clipboardPrefix;
    std::string linkPrefix;
};

// The folders named by the settings file `iniPath` (SAVEDFILEPATH, linkcatcherSAVEDFILEPATH).
LogFolders logFoldersFromSettings(const std::string& iniPath);

// A valid calendar date YYYYMMDD (years 1000-9999).
bool isCalendarDate(int yyyymmdd);
bool isClockTime(int hhmmss);

// What scheme a file name (without the folder prefix) belongs to; false for other names and
// for names whose date or time is impossible.
bool classifyLogName(const std::string& name, EntryKind kind, LogFile& out);

struct FileListing {
    std::vector<LogFile> files;
    std::vector<std::string> problems; // folders that could not be read, one line each
};

// Every log file of the wanted kinds, in no particular order.
FileListing findLogFiles(const LogFolders& folders, bool captures, bool links);

} // namespace ziq::history
