#pragma once

#include <filesystem>
#include <memory>
#include <vector>

// Tells of changes that any process makes to a few watched files (inotify on Linux,
// ReadDirectoryChangesW on the file's folder on Windows). A file
// changed in the very clock tick of our own write may keep its stamp; a notice does not
// depend on the clock, so only a watched file may keep an index between calls.
namespace ziq::profile::io {

class ChangeWatch {
public:
    ChangeWatch();
    ~ChangeWatch();
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    // False where the system cannot tell (or tests turned watching off).
    bool available();
    // Starts watching the file the path names now; -1 on failure. The same file watched
    // twice gives the same id.
    int add(const std::filesystem::path& path);
    void remove(int id);

    struct Notices {
        std::vector<int> changed; // ids of watched files that changed
        bool lost = false;        // notices were lost: any watched file may have changed
    };
    // The notices that arrived since the last call.
    Notices collect();

    // Whether the notice of our own write may come only once the file is flushed or closed
    // (Windows reports sizes and times then), rather than with the write itself (inotify).
    static bool reportsOwnWriteLate();

private:
    struct Folders; // the watched folders, where the system watches folders rather than files

    bool open();
    void close();

    int handle_ = -1;
    long owner_ = 0; // the process that opened handle_: a forked child must not share it
    std::unique_ptr<Folders> folders_;
};

// Tests turn watching off to run what systems without it run.
void setWatchingAllowed(bool allowed);
bool watchingAllowed();

} // namespace ziq::profile::io
