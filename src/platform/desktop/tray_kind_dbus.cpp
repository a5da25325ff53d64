#include "platform/desktop/tray_host.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

namespace ziq {

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// A watcher that does not answer must not hold up the start.
constexpr int kAnswerTimeoutMs = 2000;

} // namespace

// Qt makes the same test when it creates a tray icon: a registered watcher with a host.
TrayKind SystemTrayHost::kind() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(kWatcher).value()) {
        return TrayKind::IconEvents;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage answer = bus.call(get, QDBus::Block, kAnswerTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) {
        return TrayKind::IconEvents;
    }
    const bool hostRegistered =
        answer.arguments().constFirst().value<QDBusVariant>().variant().toBool();
    return hostRegistered ? TrayKind::StatusNotifierItem : TrayKind::IconEvents;
}

} // namespace ziq
