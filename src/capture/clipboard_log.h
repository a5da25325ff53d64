#pragma once

#include <string_view>

namespace ziq {

class Clock;
class MessageBoxes;
struct ProgramState;

// Records the clipboard text window's whole text as one entry of the clipboard log, under
// the naming scheme the settings choose. A failed write is reported in a modal box.
void writeClipboardLog(ProgramState& state, const Clock& clock, MessageBoxes& messages,
                       std::string_view text);

} // namespace ziq
