#pragma once

// Finding and clicking the program's tray icon and menu, for the tray and instance tests.

#include "e2e/e2e_harness.h"

#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <optional>

namespace ziq::e2e {

// A tray icon is the window that the tray host embedded: its parent is not the root window,
// and, unlike the windows a window manager framed, it is one the window manager leaves alone.
inline bool isTrayIcon(const QString& window) {
    const Run got =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window, QStringLiteral("-tree")});
    const Run attributes = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    static const QRegularExpression parent(QStringLiteral("Parent window id: [^\\n]*"));
    const auto match = parent.match(QString::fromUtf8(got.output));
    return got.exitCode == 0 && match.hasMatch() &&
           !match.captured().contains(QStringLiteral("(the root window)")) &&
           attributes.output.contains("Override Redirect State: yes");
}

inline std::optional<QString> trayIconOf(qint64 pid) {
    for (const QString& window : visibleWindowsOf(pid)) {
        if (isTrayIcon(window)) {
            return window;
        }
    }
    return std::nullopt;
}

inline std::optional<QString> waitForTrayIcon(qint64 pid, std::chrono::milliseconds timeout = 10s) {
    std::optional<QString> icon;
    waitUntil([&] { return (icon = trayIconOf(pid)).has_value(); }, timeout);
    return icon;
}

// Every docked ZIQ2 icon on the display, whichever process it belongs to.
inline int trayIconCount() {
    const Run found =
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--class"), QStringLiteral("^ZIQ2$")});
    int count = 0;
    for (const QString& window :
         QString::fromUtf8(found.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        count += isTrayIcon(window) ? 1 : 0;
    }
    return count;
}

inline bool windowExists(const QString& window) {
    return run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window}).exitCode == 0;
}

inline QRect geometryOf(const QString& window) {
    const Run got = run(QStringLiteral("xdotool"),
                        {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    const QString text = QString::fromUtf8(got.output);
    const auto value = [&text](const char* name) {
        const auto match =
            QRegularExpression(QStringLiteral("%1=(-?\\d+)").arg(QLatin1String(name))).match(text);
        return match.hasMatch() ? match.captured(1).toInt() : 0;
    };
    return {value("X"), value("Y"), value("WIDTH"), value("HEIGHT")};
}

// Mouse button 1 left, 3 right; `clicks` 2 for a double click.
inline void clickWindow(const QString& window, int button, int clicks = 1) {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QStringLiteral("6"),
         QStringLiteral("6"), QStringLiteral("click"), QStringLiteral("--repeat"),
         QString::number(clicks), QStringLiteral("--delay"), QStringLiteral("80"),
         QString::number(button)});
}

inline void clickAt(const QPoint& point) {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
         QStringLiteral("click"), QStringLiteral("1")});
}

// The tray menu: the program's pop-up, the one window the window manager is told to leave
// alone (tool-tips aside, which do not show this fast).
inline std::optional<QString> trayMenuOf(qint64 pid) {
    for (const QString& window : visibleWindowsOf(pid)) {
        const Run info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
        if (info.output.contains("Override Redirect State: yes") && !isTrayIcon(window)) {
            return window;
        }
    }
    return std::nullopt;
}

inline std::optional<QString> waitForTrayMenu(qint64 pid, std::chrono::milliseconds timeout = 5s) {
    std::optional<QString> menu;
    waitUntil([&] { return (menu = trayMenuOf(pid)).has_value(); }, timeout);
    return menu;
}

// The tray menu has eight items of equal height; the last one is "Exit".
inline QPoint exitItemOf(const QRect& menu) {
    return {menu.x() + menu.width() / 2, menu.y() + menu.height() - menu.height() / 16};
}

// A private X server with no tray host until one is asked for. While it lives, DISPLAY names
// it, so programs started meanwhile show there.
class PrivateDisplay {
public:
    PrivateDisplay() : previous_(qgetenv("DISPLAY")) {
        server_.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), QStringLiteral("1024x768x24"),
                       QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QByteArray number;
        waitUntil([&] {
            number += server_.readAllStandardOutput();
            return number.contains('\n') || server_.state() == QProcess::NotRunning;
        });
        number = number.trimmed();
        if (!number.isEmpty() && server_.state() == QProcess::Running) {
            display_ = ':' + number;
            qputenv("DISPLAY", display_);
        }
    }
    ~PrivateDisplay() {
        stop(tray_);
        stop(server_);
        qputenv("DISPLAY", previous_);
    }
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool ready() const { return !display_.isEmpty(); }

    // Starts trayer and waits until its panel is up, which it maps once it owns the tray.
    bool startTrayHost() {
        tray_.start(QStringLiteral("trayer"),
                    {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                     QStringLiteral("right"), QStringLiteral("--widthtype"),
                     QStringLiteral("request"), QStringLiteral("--height"), QStringLiteral("32"),
                     QStringLiteral("--SetDockType"), QStringLiteral("true"),
                     QStringLiteral("--transparent"), QStringLiteral("false")});
        return tray_.waitForStarted(5000) && waitUntil([] {
                   return run(QStringLiteral("xdotool"),
                              {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                               QStringLiteral("--classname"), QStringLiteral("^panel$")})
                              .exitCode == 0;
               });
    }

    // Kills trayer, as a crash would.
    void stopTrayHost() {
        tray_.kill();
        tray_.waitForFinished(5000);
    }

private:
    static void stop(QProcess& process) {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(3000)) {
                process.kill();
                process.waitForFinished(3000);
            }
        }
    }

    QByteArray previous_;
    QByteArray display_;
    QProcess server_;
    QProcess tray_;
};

} // namespace ziq::e2e
