#include "platform/desktop/tray_host.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QTimer>
#include <cstdlib>
#include <xcb/xcb.h>

namespace ziq {

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// A bus or watcher that does not answer must not hold up the program; D-Bus waits 25 s.
constexpr int kAnswerTimeoutMs = 1000;
// How often a program with no tray yet looks for one.
constexpr std::chrono::seconds kLookInterval{1};

// Qt makes the same test when it creates a tray icon: a registered watcher with a host.
QDBusMessage hostQuestion() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    // Asking must not start a watcher that the desktop did not start.
    get.setAutoStartService(false);
    return get;
}

bool hostRegistered(const QDBusMessage& answer) {
    return answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty() &&
           answer.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

// An XEmbed tray owns its screen's manager selection (freedesktop's system tray protocol).
bool xembedTrayPresent() {
    const auto* x11 = qGuiApp == nullptr
                          ? nullptr
                          : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr) {
        return false; // no X server: Wayland without XWayland
    }
    xcb_connection_t* connection = x11->connection();
    // The screen the display name picks, as in ":0.1"; usually 0.
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype dot = display.lastIndexOf('.');
    const int screen = dot > display.lastIndexOf(':') ? display.mid(dot + 1).toInt() : 0;
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData()),
            nullptr),
        &std::free);
    if (atom == nullptr) {
        return false;
    }
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom),
                                      nullptr),
        &std::free);
    return owner != nullptr && owner->owner != XCB_NONE;
}

} // namespace

struct SystemTrayHost::Watch {
    std::function<void()> appeared;
    QTimer timer;
    bool asking = false;
};

SystemTrayHost::SystemTrayHost() = default;
SystemTrayHost::~SystemTrayHost() = default;

TrayKind SystemTrayHost::kind() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() &&
        hostRegistered(bus.call(hostQuestion(), QDBus::Block, kAnswerTimeoutMs))) {
        return TrayKind::StatusNotifierItem;
    }
    return xembedTrayPresent() ? TrayKind::IconEvents : TrayKind::None;
}

// Looks once a second: a watcher and its host come onto the session bus, an XEmbed tray takes
// its selection, and either may leave and come back. The bus is asked without waiting.
void SystemTrayHost::watchForTray(std::function<void()> appeared) {
    watch_.reset();
    if (!appeared) {
        return;
    }
    watch_ = std::make_unique<Watch>();
    Watch& watch = *watch_;
    watch.appeared = std::move(appeared);
    // Queued, so that the callee may end the watch.
    const auto tell = [&watch] { QTimer::singleShot(0, &watch.timer, watch.appeared); };
    QObject::connect(&watch.timer, &QTimer::timeout, &watch.timer, [&watch, tell] {
        if (xembedTrayPresent()) {
            tell();
            return;
        }
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (watch.asking || !bus.isConnected()) {
            return;
        }
        watch.asking = true;
        auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(hostQuestion(), kAnswerTimeoutMs),
                                                   &watch.timer);
        QObject::connect(answer, &QDBusPendingCallWatcher::finished, &watch.timer,
                         [&watch, tell, answer] {
                             answer->deleteLater();
                             watch.asking = false;
                             if (hostRegistered(answer->reply())) {
                                 tell();
                             }
                         });
    });
    watch.timer.start(kLookInterval);
}

} // namespace ziq
