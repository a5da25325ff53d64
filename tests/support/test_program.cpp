#include "support/test_program.h"

#include "app/form1.h"

#include <QDir>

namespace ziq::test {

TestProgram::TestProgram() {
    AppInfo info;
    info.programDir = QDir::toNativeSeparators(folder.path()).toStdString();
    program = std::make_unique<Program>(
        info, Seams{clipboard, messages, clock, desktop, registry, instance, trayHost});
    app = std::make_unique<Application>(*program);
}

TestProgram::~TestProgram() {
    app.reset(); // the windows refer to the program
}

std::string TestProgram::dir() const {
    return program->app.programDir;
}

std::string TestProgram::path(const std::string& fileName) const {
    return joinProgramPath(dir(), fileName);
}

} // namespace ziq::test
