// ziq2-clipboard-keeper: serves a plain text on the clipboard after ZIQ2 has ended, until
// another program takes the clipboard. On X11 and on Wayland a clipboard's content lives in
// the process that owns it, so without this the text would vanish with ZIQ2. With --wayland
// it serves through the compositor's data control, else on X11.
//
// The text comes on standard input. The first process ends with 0 once a detached copy of
// itself owns the clipboard, or with 1 when that failed.

#include <QClipboard>
#include <QGuiApplication>

#include "platform/clipboard/plain_text_mime_data.h"
#include "platform/clipboard/stale_request_filter.h"
#include "platform/clipboard/wayland_keeper.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>
#include <xcb/xfixes.h>

namespace {

// std::string for data control, QByteArray for the toolkit: each serves the array it reads into.
template <typename Bytes> Bytes readAll(int fd) {
    Bytes text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, got);
        } else if (got == 0 || errno != EINTR) {
            return text;
        }
    }
}

// The detached copy must not hold the caller's terminal or pipes open.
void detachStandardStreams() {
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0) {
        return;
    }
    for (int fd = 0; fd <= 2; ++fd) {
        ::dup2(null, fd);
    }
    if (null > 2) {
        ::close(null);
    }
}

bool sendAnswer(int fd, bool owned) {
    const char answer = owned ? '1' : '0';
    const bool sent = ::write(fd, &answer, 1) == 1;
    ::close(fd);
    return sent;
}

int waitForAnswer(int fd) {
    char answer = '0';
    ssize_t got = 0;
    do {
        got = ::read(fd, &answer, 1);
    } while (got < 0 && errno == EINTR);
    return got == 1 && answer == '1' ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    const bool wayland = argc > 1 && std::string_view(argv[1]) == "--wayland";
    std::string waylandText;
    QByteArray x11Text;
    if (wayland) {
        waylandText = readAll<std::string>(STDIN_FILENO);
    } else {
        x11Text = readAll<QByteArray>(STDIN_FILENO);
    }
    if (waylandText.empty() && x11Text.isEmpty()) {
        return 1;
    }
    int ready[2];
    if (::pipe(ready) != 0) {
        return 1;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return 1;
    }
    if (child > 0) {
        ::close(ready[1]);
        return waitForAnswer(ready[0]); // end of file when the copy died: failure
    }

    ::close(ready[0]);
    ::setsid();
    detachStandardStreams();
    if (wayland) {
        const bool served = ziq::serveTextOnWayland(
            std::move(waylandText), [&ready](bool owned) { sendAnswer(ready[1], owned); });
        return served ? 0 : 1;
    }
    QGuiApplication application(argc, argv);
    QClipboard* clipboard = QGuiApplication::clipboard();
    const auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>();
    const xcb_query_extension_reply_t* xfixes =
        x11 != nullptr ? xcb_get_extension_data(x11->connection(), &xcb_xfixes_id) : nullptr;
    ziq::StaleRequestFilter staleRequests(
        xfixes != nullptr && xfixes->present != 0 ? xfixes->first_event : 0);
    application.installNativeEventFilter(&staleRequests);
    // The clipboard owns the data.
    clipboard->setMimeData(std::make_unique<ziq::PlainTextMimeData>(std::move(x11Text)).release(),
                           QClipboard::Clipboard);
    const bool owned = clipboard->ownsClipboard();
    if (!sendAnswer(ready[1], owned) || !owned) {
        return 1;
    }
    QObject::connect(clipboard, &QClipboard::changed, &application,
                     [clipboard](QClipboard::Mode mode) {
                         if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard()) {
                             QGuiApplication::quit();
                         }
                     });
    return QGuiApplication::exec();
}
