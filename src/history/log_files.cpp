#include "history/log_files.h"

#include "settings/read_ini_value.h"
#include "settings/settings.h"
#include "settings/settings_paths.h"

#include <string_view>
#include <system_error>

namespace ziq::history {

namespace {

bool allDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

int number(std::string_view digits) {
    int value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

bool hasDigitsAt(std::string_view name, std::size_t at, std::size_t count) {
    return name.size() >= at + count && allDigits(name.substr(at, count));
}

// The folder to list and the start every log name there has.
struct PrefixParts {
    std::filesystem::path folder;
    std::string namePrefix;
};

PrefixParts splitPrefix(const std::string& prefix) {
    const std::filesystem::path joined = filePath(prefix + "x");
    const std::u8string last = joined.filename().u8string();
    const std::filesystem::path folder = joined.parent_path();
    return {folder.empty() ? std::filesystem::path(".") : folder,
            std::string(last.begin(), last.end() - 1)};
}

void listFolder(const std::string& prefix, EntryKind kind, FileListing& out) {
    if (prefix.empty()) {
        return;
    }
    const PrefixParts parts = splitPrefix(prefix);
    std::error_code error;
    std::filesystem::directory_iterator it(parts.folder, error);
    if (error) {
        out.problems.push_back("cannot read the log folder " + prefix + ": " + error.message());
        return;
    }
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) {
            out.problems.push_back("cannot read the log folder " + prefix + ": " + error.message());
            return;
        }
        const std::u8string raw = it->path().filename().u8string();
        const std::string name(raw.begin(), raw.end());
        if (name.size() <= parts.namePrefix.size() ||
            name.compare(0, parts.namePrefix.size(), parts.namePrefix) != 0) {
            continue;
        }
        LogFile file;
        if (classifyLogName(name.substr(parts.namePrefix.size()), kind, file)) {
            std::error_code typeError;
            if (!it->is_regular_file(typeError)) {
                continue;
            }
            file.path = it->path();
            out.files.push_back(std::move(file));
        }
    }
}

} // namespace

EntryKind kindOf(LogScheme scheme) {
    return scheme == LogScheme::LinkOneFile || scheme == LogScheme::LinkPerDay ? EntryKind::Link
                                                                               : EntryKind::Capture;
}

LogFolders logFoldersFromSettings(const std::string& iniPath) {
    return {ReadIniValue(kSavedFilePathKey, iniPath), ReadIniValue(kLinkSavedFilePathKey, iniPath)};
}

bool isCalendarDate(int yyyymmdd) {
    const int year = yyyymmdd / 10000;
    const int month = yyyymmdd / 100 % 100;
    const int day = yyyymmdd % 100;
    if (year < 1000 || year > 9999 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool isClockTime(int hhmmss) {
    return hhmmss / 10000 < 24 && hhmmss / 100 % 100 < 60 && hhmmss % 100 < 60;
}

bool classifyLogName(const std::string& name, EntryKind kind, LogFile& out) {
    const std::string_view view(name);
    out.name = name;
    out.date = 0;
    out.time = 0;
    if (kind == EntryKind::Capture) {
        if (view == "ziq.txt") {
            out.scheme = LogScheme::ClipOneFile;
            return true;
        }
        if (view.size() == 12 && hasDigitsAt(view, 0, 8) && view.substr(8) == ".txt") {
            out.scheme = LogScheme::ClipPerDay;
            out.date = number(view.substr(0, 8));
            return isCalendarDate(out.date);
        }
        if (view.size() == 19 && hasDigitsAt(view, 0, 8) && view[8] == '_' &&
            hasDigitsAt(view, 9, 6) && view.substr(15) == ".txt") {
            out.scheme = LogScheme::ClipPerCapture;
            out.date = number(view.substr(0, 8));
            out.time = number(view.substr(9, 6));
            return isCalendarDate(out.date) && isClockTime(out.time);
        }
        return false;
    }
    if (view == "ziqurl.txt") {
        out.scheme = LogScheme::LinkOneFile;
        return true;
    }
    if (view.size() == 13 && view[0] == 'u' && hasDigitsAt(view, 1, 8) &&
        view.substr(9) == ".txt") {
        out.scheme = LogScheme::LinkPerDay;
        out.date = number(view.substr(1, 8));
        return isCalendarDate(out.date);
    }
    return false;
}

FileListing findLogFiles(const LogFolders& folders, bool captures, bool links) {
    FileListing out;
    if (captures) {
        listFolder(folders.clipboardPrefix, EntryKind::Capture, out);
    }
    if (links) {
        listFolder(folders.linkPrefix, EntryKind::Link, out);
    }
    return out;
}

} // namespace ziq::history
