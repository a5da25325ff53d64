#pragma once

// The program's StatusNotifierItem as the host sees it on the session bus: read with gdbus,
// poked with Qt D-Bus. For the tests run through tools/with_sni_tray.sh.

#include "e2e/tray_e2e.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QRect>
#include <QRegularExpression>
#include <optional>
#include <utility>

namespace ziq::e2e {

struct SniItem {
    QString service; // the owner's bus name
    QString path;
};

inline Run gdbusCall(const QString& service, const QString& path, const QString& method,
                     const QStringList& arguments = {}) {
    return run(QStringLiteral("gdbus"),
               QStringList{QStringLiteral("call"), QStringLiteral("--session"),
                           QStringLiteral("--dest"), service, QStringLiteral("--object-path"), path,
                           QStringLiteral("--method"), method, QStringLiteral("--")} +
                   arguments);
}

inline bool watcherOnTheBus() {
    return gdbusCall(QStringLiteral("org.freedesktop.DBus"),
                     QStringLiteral("/org/freedesktop/DBus"),
                     QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
                     {QStringLiteral("org.kde.StatusNotifierWatcher")})
        .output.contains("true");
}

// Every item registered with the watcher, as "service/path" (or a bare service name).
inline QStringList registeredItems() {
    const Run got = gdbusCall(QStringLiteral("org.kde.StatusNotifierWatcher"),
                              QStringLiteral("/StatusNotifierWatcher"),
                              QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                              {QStringLiteral("org.kde.StatusNotifierWatcher"),
                               QStringLiteral("RegisteredStatusNotifierItems")});
    QStringList items;
    static const QRegularExpression quoted(QStringLiteral("'([^']+)'"));
    for (auto match = quoted.globalMatch(QString::fromUtf8(got.output)); match.hasNext();) {
        items << match.next().captured(1);
    }
    return items;
}

inline qint64 processOfBusName(const QString& name) {
    const Run got =
        gdbusCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                  QStringLiteral("org.freedesktop.DBus.GetConnectionUnixProcessID"), {name});
    static const QRegularExpression number(QStringLiteral("uint32 (\\d+)"));
    const auto match = number.match(QString::fromUtf8(got.output));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// The registered item that belongs to process `pid`.
inline std::optional<SniItem> itemOf(qint64 pid) {
    for (const QString& item : registeredItems()) {
        const qsizetype slash = item.indexOf(QLatin1Char('/'));
        SniItem found{item.left(slash),
                      slash < 0 ? QStringLiteral("/StatusNotifierItem") : item.mid(slash)};
        if (processOfBusName(found.service) == pid) {
            return found;
        }
    }
    return std::nullopt;
}

inline std::optional<SniItem> waitForItem(qint64 pid) {
    std::optional<SniItem> item;
    waitUntil([&] { return (item = itemOf(pid)).has_value(); });
    return item;
}

// One property of the item, as gdbus prints it.
inline QString itemProperty(const SniItem& item, const QString& name) {
    return QString::fromUtf8(gdbusCall(item.service, item.path,
                                       QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                                       {QStringLiteral("org.kde.StatusNotifierItem"), name})
                                 .output);
}

// The path of the item's exported menu.
inline QString menuPath(const SniItem& item) {
    static const QRegularExpression path(QStringLiteral("objectpath '([^']+)'"));
    const auto match = path.match(itemProperty(item, QStringLiteral("Menu")));
    return match.hasMatch() ? match.captured(1) : QString();
}

// The exported menu's top-level entries in order, as (id, label).
inline QList<std::pair<int, QString>> menuEntries(const SniItem& item) {
    const Run got =
        gdbusCall(item.service, menuPath(item), QStringLiteral("com.canonical.dbusmenu.GetLayout"),
                  {QStringLiteral("0"), QStringLiteral("-1"), QStringLiteral("[]")});
    // Children look like <(8, {'enabled': <true>, 'label': <'View Text'>, ...}, @av [])>
    static const QRegularExpression entry(QStringLiteral("<\\((\\d+), \\{([^}]*)\\}"));
    static const QRegularExpression label(QStringLiteral("'label': <'([^']*)'>"));
    QList<std::pair<int, QString>> entries;
    for (auto match = entry.globalMatch(QString::fromUtf8(got.output)); match.hasNext();) {
        const auto found = match.next();
        const auto caption = label.match(found.captured(2));
        entries.append({found.captured(1).toInt(), caption.hasMatch() ? caption.captured(1) : ""});
    }
    return entries;
}

inline QStringList menuCaptions(const SniItem& item) {
    QStringList captions;
    for (const auto& [id, caption] : menuEntries(item)) {
        captions << caption;
    }
    return captions;
}

// What a host sends when the user chooses the entry with this caption in its menu.
inline bool clickMenuEntry(const SniItem& item, const QString& caption) {
    for (const auto& [id, label] : menuEntries(item)) {
        if (label == caption) {
            return gdbusCall(item.service, menuPath(item),
                             QStringLiteral("com.canonical.dbusmenu.Event"),
                             {QString::number(id), QStringLiteral("clicked"), QStringLiteral("<0>"),
                              QStringLiteral("0")})
                       .exitCode == 0;
        }
    }
    return false;
}

// `count` calls of `method` (Activate, ContextMenu) sent back to back, as a host sends one
// Activate per left click.
inline void callItem(const SniItem& item, const QString& method, int count = 1) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusMessage call = QDBusMessage::createMethodCall(
        item.service, item.path, QStringLiteral("org.kde.StatusNotifierItem"), method);
    call << 0 << 0;
    for (int i = 0; i < count; ++i) {
        bus.send(call);
    }
    bus.call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"))); // flushes
}

// A menu window that another client (the tray host) shows: mapped and override-redirect.
inline QList<QRect> hostMenus(qint64 ourPid) {
    const Run tree =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
    static const QRegularExpression child(QStringLiteral("^\\s+(0x[0-9a-f]+)"),
                                          QRegularExpression::MultilineOption);
    const QStringList ours = visibleWindowsOf(ourPid);
    QList<QRect> menus;
    for (auto match = child.globalMatch(QString::fromUtf8(tree.output)); match.hasNext();) {
        const QString window = match.next().captured(1);
        const Run info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
        const QRect place = geometryOf(window);
        if (info.output.contains("IsViewable") &&
            info.output.contains("Override Redirect State: yes") && place.height() >= 8 * 12 &&
            !ours.contains(QString::number(window.toULongLong(nullptr, 0)))) {
            menus << place;
        }
    }
    return menus;
}

} // namespace ziq::e2e
