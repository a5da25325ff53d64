#include "support/test_program.h"

#include <QDir>

namespace ziq::test {

TestProgram::TestProgram() {
    AppInfo info;
    info.programDir = QDir::toNativeSeparators(folder.path()).toStdString();
    program = std::make_unique<Program>(
        info, Seams{clipboard, messages, clock, desktop, registry, instance, trayHost});
}

TestProgram::~TestProgram() = default;

std::string TestProgram::dir() const {
    return program->app.programDir;
}

std::string TestProgram::path(const std::string& fileName) const {
    return joinProgramPath(dir(), fileName);
}

} // namespace ziq::test
