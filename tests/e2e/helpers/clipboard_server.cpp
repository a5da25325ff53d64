// Test helper: owns the X11 clipboard with the formats named on its command line and serves
// them until another program takes the clipboard.
//   ziq2-test-clipboard-server [--text TEXT] [--html HTML] [--secret]
// --secret adds the mark password managers put on secrets. Prints "ready" once it owns
// the clipboard.

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    auto* data = new QMimeData;
    const QStringList arguments = QGuiApplication::arguments();
    for (qsizetype at = 1; at < arguments.size(); ++at) {
        const QString& argument = arguments.at(at);
        const bool hasValue = at + 1 < arguments.size();
        if (argument == QLatin1String("--text") && hasValue) {
            data->setText(arguments.at(++at));
        } else if (argument == QLatin1String("--html") && hasValue) {
            data->setHtml(arguments.at(++at));
        } else if (argument == QLatin1String("--secret")) {
            data->setData(QStringLiteral("x-kde-passwordManagerHint"), "secret");
        } else {
            std::fprintf(stderr, "unknown argument\n");
            delete data;
            return 2;
        }
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(data, QClipboard::Clipboard);
    if (!clipboard->ownsClipboard()) {
        return 1;
    }
    QObject::connect(clipboard, &QClipboard::changed, &application,
                     [clipboard](QClipboard::Mode mode) {
                         if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard()) {
                             QGuiApplication::quit();
                         }
                     });
    std::printf("ready\n");
    std::fflush(stdout);
    return QGuiApplication::exec();
}
