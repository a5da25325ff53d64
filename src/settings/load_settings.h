#pragma once

namespace ziq {

struct ProgramState;
class MessageBoxes;

// Fills the settings from "ziq2.ini" in its folder, writing the defaults and greeting
// the user first when the file has not been initialised yet.
void LoadSettings(ProgramState& state, MessageBoxes& messages);

} // namespace ziq
