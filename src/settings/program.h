#pragma once

#include "platform/desktop/message_boxes.h"
#include "settings/program_state.h"

#include <string_view>

namespace ziq {

class Clipboard;
class Clock;
class Desktop;
class Registry;
class InstanceChannel;
class TrayHost;

// The world outside the program; tests hand in doubles.
struct Seams {
    Clipboard& clipboard;
    MessageBoxes& messages;
    Clock& clock;
    Desktop& desktop;
    Registry& registry;
    InstanceChannel& instance;
    TrayHost& trayHost;
};

// Program-wide state and the seams, handed to every window. It knows no window: windows
// announce what happened with signals and the application connects them.
class Program final : public ProgramState, public Seams {
public:
    Program(AppInfo appInfo, Seams seams);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // A modal box captioned with the application title.
    void showMessage(std::string_view text, MessageIcon icon);
};

} // namespace ziq
