#include "profile/change_watch.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

// Windows reports changes per folder: each watched file's folder has one pending
// ReadDirectoryChangesW, and a notice names the file by its name in that folder. Between two
// reads the system keeps what happened, so nothing after add() is missed; when its buffer
// overflows it says so with an empty result.
namespace ziq::profile::io {

namespace {

// Writes, size, attribute and security changes, and the file being renamed, replaced or
// deleted (a name change in the folder).
constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                           FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_ATTRIBUTES |
                           FILE_NOTIFY_CHANGE_SECURITY | FILE_NOTIFY_CHANGE_CREATION;
// 64 KiB is the most a network folder accepts.
constexpr DWORD kBufferBytes = 64 * 1024;

bool sameName(std::wstring_view a, std::wstring_view b) {
    return !a.empty() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

struct WatchedName {
    int id = -1;
    std::wstring name;
    std::wstring shortName; // a notice may name the file by its 8.3 name
};

} // namespace

struct ChangeWatch::Folders {
    struct Folder {
        std::wstring path;
        HANDLE handle = INVALID_HANDLE_VALUE;
        HANDLE event = nullptr;
        OVERLAPPED overlapped{};
        std::vector<DWORD> buffer = std::vector<DWORD>(kBufferBytes / sizeof(DWORD));
        bool pending = false;
        std::vector<WatchedName> files;

        Folder() = default;
        Folder(const Folder&) = delete;
        Folder& operator=(const Folder&) = delete;
        ~Folder() {
            if (pending) {
                // The system writes into the buffer until the read is over.
                CancelIoEx(handle, &overlapped);
                DWORD ignored = 0;
                GetOverlappedResult(handle, &overlapped, &ignored, TRUE);
            }
            if (handle != INVALID_HANDLE_VALUE) {
                CloseHandle(handle);
            }
            if (event != nullptr) {
                CloseHandle(event);
            }
        }

        bool read() {
            overlapped = OVERLAPPED{};
            overlapped.hEvent = event;
            pending = ReadDirectoryChangesW(handle, buffer.data(), kBufferBytes, FALSE, kChanges,
                                            nullptr, &overlapped, nullptr) != 0;
            return pending;
        }

        bool open(const std::wstring& folder) {
            path = folder;
            handle = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                                 nullptr);
            event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            return handle != INVALID_HANDLE_VALUE && event != nullptr && read();
        }

        // Takes what arrived; false when notices were lost.
        bool drain(std::vector<int>& changed) {
            // A wait, even of no time, lets the system hand over a finished read.
            while (pending && WaitForSingleObject(event, 0) == WAIT_OBJECT_0) {
                DWORD bytes = 0;
                pending = false;
                if (!GetOverlappedResult(handle, &overlapped, &bytes, FALSE) || bytes == 0) {
                    return false; // overflowed, or the folder went away
                }
                note(bytes, changed);
                if (!read()) {
                    return false;
                }
            }
            return pending;
        }

        void note(DWORD bytes, std::vector<int>& changed) const {
            const auto* start = reinterpret_cast<const char*>(buffer.data());
            for (DWORD at = 0; at < bytes;) {
                const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(start + at);
                const std::wstring_view name(record->FileName,
                                             record->FileNameLength / sizeof(wchar_t));
                for (const WatchedName& file : files) {
                    if (sameName(name, file.name) || sameName(name, file.shortName)) {
                        changed.push_back(file.id);
                    }
                }
                if (record->NextEntryOffset == 0) {
                    break;
                }
                at += record->NextEntryOffset;
            }
        }
    };

    std::vector<std::unique_ptr<Folder>> folders;
    int nextId = 0;
};

ChangeWatch::ChangeWatch() = default;

ChangeWatch::~ChangeWatch() = default;

bool ChangeWatch::reportsOwnWriteLate() {
    return true;
}

bool ChangeWatch::open() {
    if (!folders_) {
        folders_ = std::make_unique<Folders>();
    }
    return true;
}

void ChangeWatch::close() {
    folders_.reset();
}

bool ChangeWatch::available() {
    return watchingAllowed() && open();
}

int ChangeWatch::add(const std::filesystem::path& path) {
    if (!available()) {
        return -1;
    }
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    if (error || !full.has_filename()) {
        return -1;
    }
    const std::wstring folderPath = full.parent_path().wstring();
    const std::wstring name = full.filename().wstring();
    auto& folders = folders_->folders;
    auto folder = std::find_if(folders.begin(), folders.end(),
                               [&](const auto& f) { return sameName(f->path, folderPath); });
    if (folder != folders.end() && !(*folder)->pending && !(*folder)->read()) {
        folders.erase(folder); // its watch broke: open the folder afresh
        folder = folders.end();
    }
    if (folder == folders.end()) {
        auto opened = std::make_unique<Folders::Folder>();
        if (!opened->open(folderPath)) {
            return -1;
        }
        folders.push_back(std::move(opened));
        folder = folders.end() - 1;
    }
    for (const WatchedName& file : (*folder)->files) {
        if (sameName(file.name, name)) {
            return file.id;
        }
    }
    WatchedName file{folders_->nextId++, name, {}};
    wchar_t shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameW(full.c_str(), shortPath, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        file.shortName = std::filesystem::path(shortPath).filename().wstring();
    }
    (*folder)->files.push_back(std::move(file));
    return (*folder)->files.back().id;
}

void ChangeWatch::remove(int id) {
    if (id < 0 || !folders_) {
        return;
    }
    auto& folders = folders_->folders;
    for (auto& folder : folders) {
        std::erase_if(folder->files, [&](const WatchedName& file) { return file.id == id; });
    }
    std::erase_if(folders, [](const auto& folder) { return folder->files.empty(); });
}

ChangeWatch::Notices ChangeWatch::collect() {
    Notices notices;
    if (!folders_) {
        return notices;
    }
    for (auto& folder : folders_->folders) {
        if (!folder->drain(notices.changed)) {
            // Cannot tell what happened: trust nothing, and watch again from now on.
            notices.lost = true;
            folder->read();
        }
    }
    return notices;
}

} // namespace ziq::profile::io
