#include "profile/write_plan.h"

#include "profile/profile_line.h"
#include "profile/profile_text.h"

namespace ziq::profile {

std::string_view newLineBreak(LineBreak fileLineBreak) {
    if (fileLineBreak != LineBreak::None) {
        return lineBreakText(fileLineBreak);
    }
#ifdef _WIN32
    return "\r\n";
#else
    return "\n";
#endif
}

namespace {
// Into a text reserved by the caller, so a large value is copied once.
void appendEntry(std::string& text, std::string_view key, std::string_view value,
                 std::string_view lineBreak, PrecedingLine preceding) {
    if (preceding == PrecedingLine::Unended) {
        text += lineBreak;
    }
    text += key;
    text += '=';
    text += value;
    text += lineBreak;
}
} // namespace

std::string newSectionText(std::string_view section, std::string_view key, std::string_view value,
                           std::string_view lineBreak, PrecedingLine preceding) {
    std::string text;
    text.reserve(section.size() + key.size() + value.size() + 3 * lineBreak.size() + 3);
    if (preceding == PrecedingLine::Unended) {
        text += lineBreak;
    }
    text += '[';
    text += section;
    text += ']';
    appendEntry(text, key, value, lineBreak, PrecedingLine::Unended);
    return text;
}

std::string newEntryText(std::string_view key, std::string_view value, std::string_view lineBreak,
                         PrecedingLine preceding) {
    std::string text;
    text.reserve(key.size() + value.size() + 2 * lineBreak.size() + 1);
    appendEntry(text, key, value, lineBreak, preceding);
    return text;
}

WritePlanner::WritePlanner(std::string_view section, std::string_view key, std::string_view value)
    : section_(section), key_(key), value_(value) {}

bool WritePlanner::onLine(const Line& line) {
    sawLine_ = true;
    lastLineBreak_ = line.lineBreak;
    const ParsedLine parsed = parseLine(line.text);
    if (phase_ == Phase::Before) {
        if (parsed.kind == LineKind::Header && equalsIgnoringAsciiCase(parsed.name, section_)) {
            phase_ = Phase::Inside;
            anchorEnd_ = line.end();
            anchorClosed_ = line.lineBreak != LineBreak::None;
        }
        return true;
    }
    if (phase_ != Phase::Inside) {
        return false;
    }
    if (parsed.kind == LineKind::Header) {
        phase_ = Phase::After;
        return false;
    }
    if (parsed.kind != LineKind::Entry) {
        return true;
    }
    anchorEnd_ = line.end();
    anchorClosed_ = line.lineBreak != LineBreak::None;
    if (parsed.hasEquals && equalsIgnoringAsciiCase(parsed.name, key_)) {
        keyFound_ = true;
        sameValue_ = line.text.substr(parsed.valueStart) == value_;
        valueFrom_ = line.start + parsed.valueStart;
        valueTo_ = line.contentEnd();
        keyLineClosed_ = line.lineBreak != LineBreak::None;
        phase_ = Phase::After;
        return false;
    }
    return true;
}

WritePlan WritePlanner::finish(std::uint64_t size, LineBreak fileLineBreak) const {
    const std::string_view lineBreak = newLineBreak(fileLineBreak);
    WritePlan plan;
    if (keyFound_) {
        if (sameValue_) {
            return plan;
        }
        plan.changes = true;
        plan.from = valueFrom_;
        plan.to = valueTo_;
        plan.insert.assign(value_);
        if (!keyLineClosed_) {
            plan.insert += lineBreak;
        }
        return plan;
    }
    plan.changes = true;
    if (phase_ != Phase::Before) {
        plan.from = plan.to = anchorEnd_;
        plan.insert = newEntryText(key_, value_, lineBreak,
                                   anchorClosed_ ? PrecedingLine::Ended : PrecedingLine::Unended);
        return plan;
    }
    plan.from = plan.to = size;
    const PrecedingLine preceding = sawLine_ && lastLineBreak_ == LineBreak::None
                                        ? PrecedingLine::Unended
                                        : PrecedingLine::Ended;
    plan.insert = newSectionText(section_, key_, value_, lineBreak, preceding);
    return plan;
}

} // namespace ziq::profile
