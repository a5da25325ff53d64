#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "profile/line_scanner.h"

// Works out the smallest change to a file that stores key=value in a section: replace the
// value of the first matching key, add the key after the section's last entry, or append a
// new section at the end.
namespace ziq::profile {

struct WritePlan {
    bool changes = false;   // false: the key already holds the value
    std::uint64_t from = 0; // bytes [from, to) of the file are replaced by `insert`
    std::uint64_t to = 0;
    std::string insert;

    bool appendsTo(std::uint64_t size) const { return changes && from == size && to == size; }
};

// The line break of new lines: the file's own, or the platform's for a file without one.
std::string_view newLineBreak(LineBreak fileLineBreak);

// Whether the text that new lines follow ends in a line break; if not, they bring one.
enum class PrecedingLine { Ended, Unended };

std::string newSectionText(std::string_view section, std::string_view key, std::string_view value,
                           std::string_view lineBreak, PrecedingLine preceding);
std::string newEntryText(std::string_view key, std::string_view value, std::string_view lineBreak,
                         PrecedingLine preceding);

// Fed with the file's lines from its start (or from the header of the section when that is
// known to be the first of its name); stops once the plan cannot change.
class WritePlanner final : public LineSink {
public:
    // `section`, `key` are stripped of outer spaces; `value` is written as given.
    WritePlanner(std::string_view section, std::string_view key, std::string_view value);

    bool onLine(const Line& line) override;

    // `fileLineBreak` is the file's first line break; `size` its length.
    WritePlan finish(std::uint64_t size, LineBreak fileLineBreak) const;

private:
    enum class Phase { Before, Inside, After };

    std::string_view section_;
    std::string_view key_;
    std::string_view value_;
    Phase phase_ = Phase::Before;
    bool sawLine_ = false;
    LineBreak lastLineBreak_ = LineBreak::None;

    std::uint64_t anchorEnd_ = 0; // end of the section's last entry line (or its header)
    bool anchorClosed_ = false;   // that line has a line break

    bool keyFound_ = false;
    bool sameValue_ = false;
    std::uint64_t valueFrom_ = 0;
    std::uint64_t valueTo_ = 0;
    bool keyLineClosed_ = false;
};

} // namespace ziq::profile
