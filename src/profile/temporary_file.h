#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "profile/file_io.h"

// A hidden file beside the target that becomes the target's new content by an atomic rename.
// Removed again unless it was published.
namespace ziq::profile {

class TemporaryFile {
public:
    static std::optional<TemporaryFile> createBeside(const std::filesystem::path& target,
                                                     io::NewFileRights rights);

    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&&) = delete;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    io::File& file() { return file_; }
    const std::filesystem::path& path() const { return path_; }
    // It now lives under the target's name; nothing to clean up.
    void published() { published_ = true; }

private:
    TemporaryFile(io::File file, std::filesystem::path path)
        : file_(std::move(file)), path_(std::move(path)) {}

    io::File file_;
    std::filesystem::path path_;
    bool published_ = false;
};

} // namespace ziq::profile
