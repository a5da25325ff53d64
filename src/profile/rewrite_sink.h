#pragma once

#include <cstdint>
#include <string_view>

#include "profile/file_io.h"
#include "profile/file_scan.h"

// Writes a file's new content to its replacement, in order.
namespace ziq::profile {

class RewriteSink final : public ByteSink {
public:
    explicit RewriteSink(io::File& out) : out_(out) {}

    bool onBytes(std::string_view bytes) override;

private:
    io::File& out_;
    std::uint64_t written_ = 0;
};

} // namespace ziq::profile
