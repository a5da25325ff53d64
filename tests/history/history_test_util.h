#pragma once

#include "history/history_scan.h"
#include "history/log_files.h"
#include "support/temp_folder.h"

#include <fstream>
#include <string>
#include <vector>

namespace ziq::test {

inline void writeBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// Log folders in a fresh temporary folder: clipboard logs in clips/, link logs in links/.
struct HistoryFolders {
    TempFolder root;
    std::filesystem::path clips = root.path() / "clips";
    std::filesystem::path links = root.path() / "links";
    history::LogFolders folders;

    HistoryFolders() {
        std::filesystem::create_directories(clips);
        std::filesystem::create_directories(links);
        folders = {clips.string() + "/", links.string() + "/"};
    }
};

// Every entry the scan gives, as "YYYYMMDDHHMMSS|text".
inline std::vector<std::string> scanned(const history::LogFolders& folders,
                                        const history::HistoryQuery& query = {}) {
    std::vector<std::string> out;
    history::scanHistory(folders, query, [&](const history::Entry& entry, history::LogReader&) {
        out.push_back(std::to_string(entry.stamp) + "|" + std::string(entry.text));
        return true;
    });
    return out;
}

} // namespace ziq::test
