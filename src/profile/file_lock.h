#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>

// An advisory lock on a log file (flock on POSIX, a named mutex on Windows), taken by every
// change of the file: ZIQ2 writing an entry and ziq2-history deleting one. It only keeps
// cooperating writers apart; reading needs no lock.
namespace ziq::profile {

class FileLock {
public:
    enum class Status {
        Held,
        Missing, // no such file: creating it is safe (on Windows the name stays locked)
        Failed,  // not taken within the patience, or the system refused
    };

    // Locks the file at `path` as it is once the lock is held: a file replaced while we waited
    // is locked afresh, so the lock always belongs to the file the name leads to.
    static FileLock acquire(const std::filesystem::path& path,
                            std::chrono::milliseconds patience = std::chrono::seconds(5));

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) = delete;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    Status status() const { return status_; }

private:
    FileLock(Status status, std::intptr_t handle) : status_(status), handle_(handle) {}
    Status status_;
    std::intptr_t handle_; // a descriptor or a HANDLE; -1 when none
};

} // namespace ziq::profile
