#include "profile/temporary_file.h"

#include <atomic>
#include <chrono>
#include <cstdio>

namespace ziq::profile {

namespace {

std::filesystem::path candidateName(const std::filesystem::path& target) {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t mix =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (++counter * 0x9E3779B97F4A7C15ULL);
    mix ^= mix >> 29;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%012llx.tmp",
                  static_cast<unsigned long long>(mix & 0xFFFFFFFFFFFFULL));
    // Named after the target so a leftover from a crash says where it came from, unless that
    // would make the name too long for the file system.
    std::filesystem::path name(".");
    if (target.filename().native().size() <= 200) {
        name += target.filename();
    } else {
        name += "profile";
    }
    name += suffix;
    return target.parent_path() / name;
}

} // namespace

std::optional<TemporaryFile> TemporaryFile::createBeside(const std::filesystem::path& target,
                                                         io::NewFileRights rights) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::filesystem::path path = candidateName(target);
        io::OpenStatus status = io::OpenStatus::Ok;
        io::File file = io::File::createNew(path, rights, status);
        if (file.isOpen()) {
            return TemporaryFile(std::move(file), std::move(path));
        }
        if (status != io::OpenStatus::Exists) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : file_(std::move(other.file_)), path_(std::move(other.path_)), published_(other.published_) {
    other.published_ = true;
}

TemporaryFile::~TemporaryFile() {
    if (published_) {
        return;
    }
    file_ = io::File(); // closed first: Windows cannot delete an open file
    io::removeFile(path_);
}

} // namespace ziq::profile
