#include "platform/system/file_lookup.h"

#include <cstdlib>
#include <filesystem>

namespace ziq {

std::optional<std::string> findOnSearchPath(std::span<const std::string_view> names,
                                            std::string_view searchPath) {
    for (const std::string_view name : names) {
        std::string_view rest = searchPath;
        while (true) {
            const std::size_t end = rest.find(kSearchPathSeparator);
            const std::string_view folder = rest.substr(0, end);
            if (!folder.empty() && std::filesystem::path(folder).is_absolute()) {
                const std::string candidate =
                    (std::filesystem::path(folder) / std::filesystem::path(name)).string();
                if (isExecutableFile(candidate)) {
                    return candidate;
                }
            }
            if (end == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(end + 1);
        }
    }
    return std::nullopt;
}

std::string currentSearchPath() {
    const char* value = std::getenv("PATH");
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace ziq
