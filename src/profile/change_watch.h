#pragma once

#include <filesystem>
#include <vector>

// Tells of changes that any process makes to a few watched files (inotify on Linux). A file
// changed in the very clock tick of our own write may keep its stamp; a notice does not
// depend on the clock, so only a watched file may keep an index between calls.
namespace ziq::profile::io {

class ChangeWatch {
public:
    ChangeWatch() = default;
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

private:
    bool open();
    void close();

    int handle_ = -1;
    long owner_ = 0; // the process that opened handle_: a forked child must not share it
};

// Tests turn watching off to run what systems without it run.
void setWatchingAllowed(bool allowed);

} // namespace ziq::profile::io
