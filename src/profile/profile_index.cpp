#include "profile/profile_index.h"

#include <algorithm>

#include "profile/profile_line.h"
#include "profile/profile_text.h"

namespace ziq::profile {

IndexBuilder::IndexBuilder(ProfileIndex& index, Mode mode) : index_(index), mode_(mode) {}

bool IndexBuilder::onLine(const Line& line) {
    if (index_.lineBreak == LineBreak::None) {
        index_.lineBreak = line.lineBreak;
    }
    index_.lastLineOpen = line.lineBreak == LineBreak::None;
    index_.endsWithCr = line.lineBreak == LineBreak::Cr;

    const ParsedLine parsed = parseLine(line.text);
    switch (parsed.kind) {
    case LineKind::Header: {
        const std::uint64_t hash = foldedNameHash(parsed.name);
        index_.hasSection = true;
        index_.lastSectionHash = hash;
        index_.lastSectionStart = line.start;
        index_.anchorAtEnd = true;
        if (mode_ == Mode::Bulk) {
            headers_.push_back(hash);
            lastKeys_.clear();
        } else {
            index_.lastSectionIsFirst = index_.sections.insert(hash);
            index_.lastSectionKeys.clear();
        }
        break;
    }
    case LineKind::Entry:
        index_.anchorAtEnd = true;
        if (index_.hasSection && parsed.hasEquals) {
            const std::uint64_t hash = foldedNameHash(parsed.name);
            if (mode_ == Mode::Bulk) {
                lastKeys_.push_back(hash);
            } else {
                index_.lastSectionKeys.insert(hash);
            }
        }
        break;
    case LineKind::Blank:
    case LineKind::Comment:
        index_.anchorAtEnd = false;
        break;
    }
    return true;
}

void IndexBuilder::finish() {
    if (mode_ != Mode::Bulk) {
        return;
    }
    index_.lastSectionIsFirst = index_.hasSection && std::count(headers_.begin(), headers_.end(),
                                                                index_.lastSectionHash) == 1;
    index_.sections = NameHashSet(std::move(headers_));
    index_.lastSectionKeys = NameHashSet(std::move(lastKeys_));
    headers_.clear();
    lastKeys_.clear();
}

bool extendIndex(ProfileIndex& index, std::string_view appended) {
    if (appended.empty()) {
        return true;
    }
    if (index.endsWithCr && appended.front() == '\n') {
        return false;
    }
    std::size_t skip = 0;
    if (index.lastLineOpen) {
        // The open last line gets its line break; that does not change what the line is.
        LineBreak closing = LineBreak::None;
        if (appended.starts_with("\r\n")) {
            closing = LineBreak::CrLf;
        } else if (appended.front() == '\r') {
            closing = LineBreak::Cr;
        } else if (appended.front() == '\n') {
            closing = LineBreak::Lf;
        } else {
            return false;
        }
        skip = lineBreakText(closing).size();
        if (closing == LineBreak::Cr && appended.size() > skip && appended[skip] == '\n') {
            return false;
        }
        if (index.lineBreak == LineBreak::None) {
            index.lineBreak = closing;
        }
        index.lastLineOpen = false;
        index.endsWithCr = closing == LineBreak::Cr;
    }
    IndexBuilder builder(index, IndexBuilder::Mode::Incremental);
    LineScanner scanner(index.size + skip);
    scanner.feed(appended.substr(skip), builder);
    scanner.finish(builder);
    index.size += appended.size();
    return true;
}

} // namespace ziq::profile
