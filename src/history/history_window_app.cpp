#include "history/history_window_app.h"

#include "history/history_window.h"
#include "platform/clipboard/system_clipboard.h"
#include "platform/desktop/qt_message_boxes.h"
#include "platform/desktop/window_front.h"
#include "platform/system/local_instance_channel.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>

#include <memory>

namespace ziq::history {

int runHistoryWindow(int& argc, char* argv[], const LogFolders& folders) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ziq2-history"));
    const std::string title = kHistoryTitle;
    LocalInstanceChannel instance(QApplication::applicationName());
    if (instance.anotherInstanceRunning() && instance.bringForward(title)) {
        return 0;
    }
    const std::unique_ptr<SystemClipboard> clipboard = openSystemClipboard();
    QtMessageBoxes messages;
    HistoryWindow* shown = nullptr;
    HistoryWindow window(folders, {*clipboard, messages,
                                   [&shown](const QString& question) {
                                       return QMessageBox::question(
                                                  shown, QString::fromLatin1(kHistoryTitle),
                                                  question, QMessageBox::Yes | QMessageBox::No,
                                                  QMessageBox::No) == QMessageBox::Yes;
                                   },
                                   [] { return QDate::currentDate(); }});
    shown = &window;
    instance.setComeForwardHandler([&window, &title](const std::string& asked) {
        if (asked != title) {
            return false;
        }
        bringForward(window);
        return true;
    });
    if (qEnvironmentVariableIsSet("ZIQ2_HISTORY_QUIT_WHEN_LISTED")) {
        // For the benchmarks: the window ends once it has drawn its newest entries, or, given a
        // word, once it has then drawn the first entries that word finds.
        const QString word = qEnvironmentVariable("ZIQ2_HISTORY_QUIT_WHEN_LISTED");
        QObject::connect(&window, &HistoryWindow::listed, &window, [&window, word] {
            window.repaint();
            auto* field = window.findChild<QLineEdit*>(QStringLiteral("searchField"));
            if (field != nullptr && field->text() != word) {
                field->setText(word);
                return;
            }
            QCoreApplication::quit();
        });
    }
    window.show();
    const int code = QApplication::exec();
    instance.close();
    // As the command line's --copy: the copied text lives on in the keeper.
    QCoreApplication::processEvents();
    clipboard->keepTextAfterExit();
    return code;
}

} // namespace ziq::history
