#pragma once

#include <string_view>

namespace ziq {

class Clock;
class MessageBoxes;
struct ProgramState;

// Records one caught link: the clipboard text window's text goes, as one line, into the link
// log under the current date and time. A failed write is reported in a message box; the
// next catch tries again.
void writeLinkLog(ProgramState& state, const Clock& clock, MessageBoxes& messages,
                  std::string_view clipboardText);

} // namespace ziq
