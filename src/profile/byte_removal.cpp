#include "profile/file_io.h"
#include "profile/file_scan.h"
#include "profile/profile_file.h"
#include "profile/rewrite_sink.h"
#include "profile/temporary_file.h"

#include <optional>

namespace ziq::profile {

bool removeBytes(const std::filesystem::path& file, std::uint64_t from, std::uint64_t to,
                 std::uint64_t expectedSize) {
    const std::filesystem::path target = io::resolveLinks(file);
    io::OpenStatus status = io::OpenStatus::Ok;
    io::File original = io::File::openForReading(target, status);
    io::FileStamp before;
    if (!original.isOpen() || !original.stamp(before) || before.size != expectedSize || from > to ||
        to > before.size) {
        return false;
    }
    std::optional<TemporaryFile> temporary = TemporaryFile::createBeside(target, {0600, true});
    if (!temporary) {
        return false;
    }
    RewriteSink sink(temporary->file());
    if (!copyRange(original, 0, from, sink) || !copyRange(original, to, before.size, sink) ||
        !temporary->file().takePermissions(before) || !temporary->file().sync() ||
        !temporary->file().close()) {
        return false;
    }
    io::FileStamp now;
    if (!original.stamp(now) || now != before) {
        return false;
    }
    original.close(); // Windows cannot replace an open file
    if (!io::replaceFile(temporary->path(), target)) {
        return false;
    }
    temporary->published();
    const std::filesystem::path folder = target.parent_path();
    io::syncFolder(folder.empty() ? std::filesystem::path(".") : folder);
    return true;
}

} // namespace ziq::profile
