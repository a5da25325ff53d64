#pragma once

#include <cstdint>
#include <functional>

// Seams for tests of the profile-file module: I/O accounting, injected I/O failures and
// control of the index cache. Not for program code.
namespace ziq::profile::testing {

struct IoCounters {
    std::uint64_t calls = 0; // file-system calls made by the module
    std::uint64_t bytesRead = 0;
    std::uint64_t bytesWritten = 0;
};

IoCounters ioCounters();
void resetIoCounters();

enum class FailureMode {
    OneCall,            // an I/O error: only that call fails
    ThisCallAndAllLater // a crash: nothing after that point reaches the disk
};

// Makes the n-th file-system call from now on fail (n >= 1; 0 switches injection off). A
// failing write first writes half of its bytes, as a full disk would.
void injectIoFailure(std::uint64_t n, FailureMode mode = FailureMode::OneCall);
bool injectedFailureHappened();

// Runs `pause` in place of each pause before a file that another program holds is tried
// again (Windows: a sharing violation); empty for the real twentieth of a second. It runs
// under the module's lock: it must not call the module.
void setRetryPause(std::function<void()> pause);

// Makes file times as coarse as on a file system with this timestamp granularity (0: as
// the file system gives them), so changes within one tick of a write can be tested.
void simulateTimestampGranularity(std::int64_t nanoseconds);

// Whether changes to files are reported to the index cache where the system can (inotify on
// Linux, folder notices on Windows); off, the module runs as on systems without it, keeping no
// index. Clears the cache.
void setChangeWatching(bool on);
// Whether indexes can be kept here: changes are reported and tests left watching on.
bool changeWatchingAvailable();

// Runs `pause` inside every append of the module, after its bytes are written and before the
// call returns: what a slow or preempted process would let another program do meanwhile.
// Empty to switch off. It runs under the module's lock: it must not call the module.
void setAfterOwnWrite(std::function<void()> pause);

// Files at least this large keep an index between calls (and only they).
void setIndexThreshold(std::uint64_t bytes);
void resetIndexThreshold();
void clearIndexCache();

} // namespace ziq::profile::testing
