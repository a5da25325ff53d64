// Test helper: a clipboard owner that misbehaves.
//   ziq2-test-hostile-owner --mute       owns the clipboard and never answers anything
//   ziq2-test-hostile-owner --stall      lists its formats, but never sends the text
//   ziq2-test-hostile-owner --huge MB    answers with a text of MB megabytes (ASCII lines)
// Prints "ready" once it owns the clipboard. --mute and --stall hang for good (the test
// kills them); --huge serves until another program takes the clipboard.

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

[[noreturn]] void hangForever() {
    while (true) {
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
}

// Offers plain text, and hangs the event loop when asked for it.
class StallingData final : public QMimeData {
public:
    QStringList formats() const override { return {QStringLiteral("text/plain")}; }
    bool hasFormat(const QString& format) const override { return formats().contains(format); }

protected:
    QVariant retrieveData(const QString&, QMetaType) const override { hangForever(); }
};

QByteArray hugeText(qsizetype megabytes) {
    QByteArray text(megabytes * 1024 * 1024, 'h');
    for (qsizetype at = 99; at < text.size(); at += 100) {
        text[at] = '\n';
    }
    return text;
}

bool own(QMimeData* data) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(data, QClipboard::Clipboard);
    if (!clipboard->ownsClipboard()) {
        return false;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    const QString mode = arguments.value(1);
    if (mode == QLatin1String("--mute")) {
        auto* data = new QMimeData;
        data->setText(QStringLiteral("never served"));
        if (!own(data)) {
            return 1;
        }
        hangForever(); // events, requests for the text included, are never read
    }
    if (mode == QLatin1String("--stall")) {
        return own(new StallingData) ? QGuiApplication::exec() : 1;
    }
    bool isNumber = false;
    const qsizetype megabytes = arguments.value(2).toLongLong(&isNumber);
    if (mode != QLatin1String("--huge") || !isNumber || megabytes <= 0) {
        std::fprintf(stderr, "usage: %s --mute | --stall | --huge MB\n", argv[0]);
        return 2;
    }
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain"), hugeText(megabytes));
    if (!own(data)) {
        return 1;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    QObject::connect(clipboard, &QClipboard::changed, &application,
                     [clipboard](QClipboard::Mode changed) {
                         if (changed == QClipboard::Clipboard && !clipboard->ownsClipboard()) {
                             QGuiApplication::quit();
                         }
                     });
    return QGuiApplication::exec();
}
