#include "app/application.h"
#include "app/form1.h"
#include "app/program_icon.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/local_instance_channel.h"
#include "platform/qt_app_info.h"
#include "platform/qt_clipboard.h"
#include "platform/qt_message_boxes.h"
#include "platform/registry.h"
#include "platform/termination_signals.h"
#include "platform/version.h"
#include "settings/program.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // Reading the clipboard in the background needs X11; under Wayland go through XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZIQ2"));
    QApplication::setApplicationVersion(QString::fromLatin1(ziq::kVersionText));
    QApplication::setWindowIcon(ziq::programIcon());

    ziq::QtClipboard clipboard;
    ziq::QtMessageBoxes messages;
    ziq::SystemClock clock;
    ziq::QtDesktop desktop;
    ziq::SystemRegistry registry;
    ziq::LocalInstanceChannel instance(QApplication::applicationName());
    ziq::Program program(ziq::appInfoFromApplication(QApplication::arguments()),
                         {clipboard, messages, clock, desktop, registry, instance});
    ziq::Application app(program);
    ziq::Form1& form1 = *app.form1;
    // Before anything can show a box: SIGTERM during the welcome message ends the program too.
    ziq::TerminationSignals termination([&form1] { form1.unload(); });
    if (!app.start()) {
        return 0; // another copy runs, or the program was ended while it started
    }
    // A desktop session that ends quits the application; shut down in order first.
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &form1,
                     [&form1] { form1.unload(); });
    const int code = QApplication::exec();
    // On X11 the clipboard's content dies with its owner: hand our plain text to a keeper.
    clipboard.keepTextAfterExit();
    return code;
}
