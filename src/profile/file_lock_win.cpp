#include "profile/file_lock.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace ziq::profile {

namespace {

// WORKAROUND: a handle held on the log itself, even one that shares deletion, makes Windows
// refuse the rename that puts a rewritten log in its place, so the lock is a named mutex of
// the session, named after the file's full path: what matters is the name, which is also what
// survives a rewrite. Both programs run in the user's session; a holder that dies frees it.
std::wstring mutexName(const std::filesystem::path& path) {
    // Both programs must arrive at one name for one file, however they spelled its path:
    // GetFullPathNameW makes it absolute, turns '/' into '\\' and drops "." and "..".
    std::wstring full(MAX_PATH, L'\0');
    DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length =
            GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    if (length == 0 || length >= full.size()) {
        full = path.wstring();
        std::replace(full.begin(), full.end(), L'/', L'\\');
    } else {
        full.resize(length);
    }
    CharLowerBuffW(full.data(), static_cast<DWORD>(full.size())); // names ignore case
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : full) {
        hash = (hash ^ static_cast<std::uint64_t>(c)) * 1099511628211ull;
    }
    wchar_t text[64];
    std::swprintf(text, 64, L"Local\\ziq2-log-%016llx", static_cast<unsigned long long>(hash));
    return text;
}

} // namespace

FileLock FileLock::acquire(const std::filesystem::path& path, std::chrono::milliseconds patience) {
    // The name is locked before the file is looked for: a replacement may leave no file under
    // the name for a moment (Wine's ReplaceFileW moves the old one away first), and a writer
    // that took that moment for "no log yet" would start a new log beside the holder's change.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, mutexName(path).c_str());
    if (mutex == nullptr) {
        return FileLock(Status::Failed, -1);
    }
    const DWORD waited = WaitForSingleObject(mutex, static_cast<DWORD>(patience.count()));
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return FileLock(Status::Failed, -1);
    }
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            // Still held: creating the file is part of the change.
            return FileLock(Status::Missing, reinterpret_cast<std::intptr_t>(mutex));
        }
        ReleaseMutex(mutex);
        CloseHandle(mutex);
        return FileLock(Status::Failed, -1);
    }
    return FileLock(Status::Held, reinterpret_cast<std::intptr_t>(mutex));
}

FileLock::FileLock(FileLock&& other) noexcept : status_(other.status_), handle_(other.handle_) {
    other.handle_ = -1;
}

FileLock::~FileLock() {
    if (handle_ != -1) {
        const auto mutex = reinterpret_cast<HANDLE>(handle_);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
}

} // namespace ziq::profile
