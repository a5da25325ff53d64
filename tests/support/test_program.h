#pragma once

#include "app/application.h"
#include "settings/program.h"
#include "support/fake_instance_channel.h"
#include "support/fakes.h"

#include <QTemporaryDir>
#include <memory>
#include <string>

namespace ziq::test {

// A whole program over fakes, living in its own temporary program folder: its state and
// seams, and the application that holds and connects its windows.
class TestProgram {
public:
    TestProgram();
    ~TestProgram();

    std::string dir() const; // the program folder, no trailing separator
    std::string path(const std::string& fileName) const;

    QTemporaryDir folder;
    RecordingMessageBoxes messages;
    FakeClipboard clipboard;
    FakeClock clock;
    FakeDesktop desktop;
    FakeRegistry registry;
    FakeInstanceChannel instance;
    FakeTrayHost trayHost;
    std::unique_ptr<Program> program;
    std::unique_ptr<Application> app;
};

} // namespace ziq::test
