#include "naive_profile_writer.h"

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

namespace ziq::bench {

namespace {

#ifdef _WIN32
int openFile(const std::filesystem::path& file, int flags, int mode = 0) {
    return ::_wopen(file.c_str(), flags | _O_BINARY | _O_NOINHERIT, mode);
}
int syncFile(int handle) {
    return ::_commit(handle);
}
#else
int openFile(const std::filesystem::path& file, int flags, int mode = 0) {
    return ::open(file.c_str(), flags | O_CLOEXEC, mode);
}
int syncFile(int handle) {
    return ::fsync(handle);
}
#endif

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string readAll(const std::filesystem::path& file) {
    std::string content;
    const int handle = openFile(file, O_RDONLY);
    if (handle < 0) {
        return content;
    }
    char buffer[1 << 16];
    for (ssize_t got; (got = ::read(handle, buffer, sizeof buffer)) > 0;) {
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(handle);
    return content;
}

bool writeAll(const std::filesystem::path& file, std::string_view content) {
    const int handle = openFile(file, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (handle < 0) {
        return false;
    }
    bool ok = true;
    while (ok && !content.empty()) {
        const ssize_t put = ::write(handle, content.data(), content.size());
        ok = put > 0;
        content.remove_prefix(ok ? static_cast<std::size_t>(put) : content.size());
    }
    ok = syncFile(handle) == 0 && ok;
    return ::close(handle) == 0 && ok;
}

} // namespace

bool naiveWriteString(std::string_view section, std::string_view key, std::string_view value,
                      const std::filesystem::path& file) {
    std::string content = readAll(file);
    const std::string entry = std::string(key) + "=" + std::string(value) + "\n";
    bool inSection = false;
    std::size_t insertAt = std::string::npos;
    for (std::size_t start = 0; start < content.size();) {
        std::size_t end = content.find_first_of("\r\n", start);
        end = end == std::string::npos ? content.size() : end;
        const std::string_view line = trimmed(std::string_view(content).substr(start, end - start));
        std::size_t next = end;
        if (next < content.size()) {
            next += content.compare(next, 2, "\r\n") == 0 ? 2 : 1;
        }
        if (line.starts_with('[')) {
            if (inSection) {
                break;
            }
            inSection = sameName(trimmed(line.substr(1, line.find(']') - 1)), section);
            insertAt = inSection ? next : insertAt;
        } else if (inSection && !line.empty() && !line.starts_with(';')) {
            const std::size_t equals = line.find('=');
            if (equals != std::string_view::npos &&
                sameName(trimmed(line.substr(0, equals)), key)) {
                content.replace(start, end - start, entry.substr(0, entry.size() - 1));
                return writeAll(file, content);
            }
            insertAt = next;
        }
        start = next;
    }
    if (insertAt != std::string::npos) {
        content.insert(insertAt, entry);
    } else {
        if (!content.empty() && content.back() != '\n') {
            content += '\n';
        }
        content += "[" + std::string(section) + "]\n" + entry;
    }
    return writeAll(file, content);
}

} // namespace ziq::bench
