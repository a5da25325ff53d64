#include "platform/system/executable_path.h"

#include <unistd.h>

namespace ziq {

std::string executablePath() {
#ifdef __linux__
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length <= 0) {
            return {};
        }
        if (std::size_t(length) < path.size()) {
            path.resize(std::size_t(length));
            return path;
        }
        path.resize(path.size() * 2);
    }
#else
    return {}; // no /proc: the caller asks the toolkit instead
#endif
}

std::string_view pathSeparators() {
    return "/";
}

} // namespace ziq
