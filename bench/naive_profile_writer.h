#pragma once

#include <filesystem>
#include <string_view>

namespace ziq::bench {

// The classic way to write one profile string, for comparison only: read the whole file,
// change it in memory, write the whole file back and flush it.
bool naiveWriteString(std::string_view section, std::string_view key, std::string_view value,
                      const std::filesystem::path& file);

} // namespace ziq::bench
