#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace ziq {

struct ProgramState;
class MessageBoxes;

// What the options window shows when the user saves: the state of each check box and
// option button, indexed by the number in its name (Check1..Check8, Option1..Option10).
struct OptionsChoice {
    std::array<bool, 9> check{};
    std::array<bool, 11> option{};
};

// One write to the settings file; true when it succeeded.
using SettingWriter = std::function<bool(std::string_view section, std::string_view key,
                                         std::string_view value, const std::string& iniPath)>;

// The profile-file write that saving uses unless told otherwise.
bool writeSetting(std::string_view section, std::string_view key, std::string_view value,
                  const std::string& iniPath);

// Writes every choice (and each log folder the user went to choose) to "ziq2.ini", warns
// once when any write failed, then reloads the settings so the program follows them.
void SaveOptions(ProgramState& state, MessageBoxes& messages, const OptionsChoice& choice);
void SaveOptions(ProgramState& state, MessageBoxes& messages, const OptionsChoice& choice,
                 const SettingWriter& write);

} // namespace ziq
