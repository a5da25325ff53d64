#include "app/application.h"
#include "app/form1.h"
#include "app/program_icon.h"
#include "platform/system/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/system/local_instance_channel.h"
#include "platform/system/qt_app_info.h"
#include "platform/desktop/qt_message_boxes.h"
#include "platform/system/registry.h"
#include "platform/clipboard/system_clipboard.h"
#include "platform/desktop/tray_host.h"
#include "platform/system/termination_signals.h"
#include "platform/system/version.h"
#include "settings/program.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // Under Wayland the windows go through XWayland where it runs, so that placing them
    // works; only a session without it gets Qt's Wayland platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "wayland" : "xcb");
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZIQ2"));
    QApplication::setApplicationVersion(QString::fromLatin1(ziq::kVersionText));
    QApplication::setWindowIcon(ziq::programIcon());

    const std::unique_ptr<ziq::SystemClipboard> clipboard = ziq::openSystemClipboard();
    ziq::QtMessageBoxes messages;
    ziq::SystemClock clock;
    ziq::QtDesktop desktop;
    ziq::SystemRegistry registry;
    ziq::LocalInstanceChannel instance(QApplication::applicationName());
    ziq::SystemTrayHost trayHost;
    ziq::Program program(ziq::appInfoFromApplication(QApplication::arguments()),
                         {*clipboard, messages, clock, desktop, registry, instance, trayHost});
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
    // The clipboard's content dies with its owner: hand our plain text to a keeper.
    clipboard->keepTextAfterExit();
    return code;
}
