#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A slow, obviously written reader of profile files that the fuzzer holds the real module
// against: whole file in memory, line by line, no index, no chunks.
namespace ziq::fuzz {

inline bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

inline std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

inline std::string_view stripSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

inline bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

inline std::vector<std::string_view> splitLines(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            lines.push_back(bytes.substr(start, i - start));
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < bytes.size()) {
        lines.push_back(bytes.substr(start));
    }
    return lines;
}

struct ParsedLine {
    enum Kind { Blank, Header, Comment, Entry } kind = Blank;
    std::string_view name;
    std::string_view value;
    bool hasEquals = false;
};

inline ParsedLine parse(std::string_view line) {
    ParsedLine parsed;
    line = trimBlanks(line);
    if (line.empty()) {
        return parsed;
    }
    if (line.front() == '[') {
        parsed.kind = ParsedLine::Header;
        const std::string_view inside = line.substr(1);
        parsed.name = trimBlanks(inside.substr(0, inside.find(']')));
    } else if (line.front() == ';') {
        parsed.kind = ParsedLine::Comment;
    } else {
        parsed.kind = ParsedLine::Entry;
        const std::size_t equals = line.find('=');
        parsed.hasEquals = equals != std::string_view::npos;
        parsed.name = trimBlanks(line.substr(0, equals));
        if (parsed.hasEquals) {
            parsed.value = trimBlanks(line.substr(equals + 1));
        }
    }
    return parsed;
}

inline std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// The value a reader must return for section/key, or nullopt for "not there".
inline std::optional<std::string> lookUp(std::string_view bytes, std::string_view section,
                                         std::string_view key) {
    section = stripSpaces(section);
    key = stripSpaces(key);
    bool inside = false;
    for (const std::string_view line : splitLines(bytes)) {
        const ParsedLine parsed = parse(line);
        if (parsed.kind == ParsedLine::Header) {
            if (inside) {
                return std::nullopt; // only the first section of that name counts
            }
            inside = sameName(parsed.name, section);
        } else if (inside && parsed.kind == ParsedLine::Entry && parsed.hasEquals &&
                   sameName(parsed.name, key)) {
            return std::string(unquote(parsed.value));
        }
    }
    return std::nullopt;
}

// Every section/key name pair the file mentions, to probe before and after a write.
inline std::vector<std::pair<std::string, std::string>> namesIn(std::string_view bytes) {
    std::vector<std::pair<std::string, std::string>> names;
    std::string section;
    bool inSection = false;
    for (const std::string_view line : splitLines(bytes)) {
        const ParsedLine parsed = parse(line);
        if (parsed.kind == ParsedLine::Header) {
            section = parsed.name;
            inSection = true;
        } else if (inSection && parsed.kind == ParsedLine::Entry) {
            names.emplace_back(section, std::string(parsed.name));
        }
    }
    return names;
}

// What reading a key back must give after `value` was written under it: its first line,
// trimmed, with one pair of outer quotes removed.
inline std::string readBack(std::string_view value) {
    const std::size_t end = value.find_first_of("\r\n");
    return std::string(unquote(trimBlanks(value.substr(0, end))));
}

// Names a write and the read of the same key agree on. Others (a key holding "=", a
// section holding "]", a name with a line break or padded with tabs) are still written by
// the fuzzer, but only checked for crashes and for leaving the file sound.
inline bool roundTrips(std::string_view section, std::string_view key) {
    section = stripSpaces(section);
    key = stripSpaces(key);
    auto padded = [](std::string_view name) {
        return !name.empty() && (isBlank(name.front()) || isBlank(name.back()));
    };
    if (section.find_first_of("]\r\n") != std::string_view::npos || padded(section)) {
        return false;
    }
    if (key.find_first_of("=\r\n") != std::string_view::npos || padded(key)) {
        return false;
    }
    return key.empty() || (key.front() != '[' && key.front() != ';');
}

} // namespace ziq::fuzz
