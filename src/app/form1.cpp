#include "app/form1.h"

#include "app/program.h"
#include "capture/to_text_window.h"
#include "dialogs/about_window.h"
#include "dialogs/file_browser_window.h"
#include "links/link_catcher_window.h"
#include "settings/load_settings.h"
#include "settings/options_window.h"
#include "settings/setting_number.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

namespace ziq {

Form1::Form1(Program& program, QWidget* parent) : QWidget(parent), program_(program) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ZIQ"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ziq.png")));
    pichook = new QWidget(this);
    pichook->setObjectName(QStringLiteral("pichook"));
    pichook->hide();
    buildMenu();
}

Form1::~Form1() = default;

void Form1::buildMenu() {
    mnuBar = new QMenu(QStringLiteral("PopupMenu"), this);
    mnuBar->setObjectName(QStringLiteral("mnuBar"));
    const auto item = [this](const char* name, const QString& caption) {
        QAction* action = mnuBar->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    menu2 = item("menu2", QStringLiteral("View Text"));
    mnuCatcher = item("mnuCatcher", QStringLiteral("View Link/String Catcher"));
    mnuClearClip = item("mnuClearClip", QStringLiteral("Clear Clipboard"));
    mnuOnOff = item("mnuOnOff", QString());
    mnuOptions = item("mnuOptions", QStringLiteral("Options"));
    mnuAbout = item("mnuAbout", QStringLiteral("About"));
    mnuCancel = item("mnuCancel", QStringLiteral("Cancel"));
    mnuExit = item("mnuExit", QStringLiteral("Exit"));
    connect(mnuExit, &QAction::triggered, this, &Form1::unload);
}

void Form1::addTrayIcon() {
    trayIcon = new QSystemTrayIcon(windowIcon(), this);
    trayIcon->setToolTip(QStringLiteral("ZIQ"));
    trayIcon->show();
}

void Form1::deleteTrayIcon() {
    if (trayIcon != nullptr) {
        trayIcon->hide();
    }
}

bool Form1::load() {
    addTrayIcon(); // before anything else is shown, the welcome message included
    hide();
    QApplication::setQuitOnLastWindowClosed(false);
    program_.shuttingDown = 0;
    LoadSettings(program_, program_.messages);
    showViewers();
    return true;
}

void Form1::showViewers() {
    // Loading both windows starts the poller; they are shown only when asked for, which
    // spares the user a flash of two windows at every start.
    program_.frmToText = std::make_unique<ToTextWindow>(program_);
    program_.frmLinkCatcher = std::make_unique<LinkCatcherWindow>(program_);
    if (strictEquals(program_.settings.autoOpenViewers, 1)) {
        ToTextWindow& text = *program_.frmToText;
        LinkCatcherWindow& links = *program_.frmLinkCatcher;
        text.show();
        links.show();
        const QRect textFrame = text.frameGeometry();
        links.move(links.frameGeometry().left(), textFrame.top() + textFrame.height());
    }
}

void Form1::unload() {
    if (program_.shuttingDown != 0) {
        return;
    }
    deleteTrayIcon();
    program_.shuttingDown = 1;
    // Windows are closed here and deleted by their owner once the event loop has ended:
    // this often runs inside a handler of one of them.
    const auto closeWindow = [](QWidget* window) {
        if (window != nullptr) {
            window->close();
        }
    };
    closeWindow(program_.frmAbout.get());
    closeWindow(program_.frmFileBrowser.get());
    closeWindow(program_.frmLinkCatcher.get());
    closeWindow(program_.frmOptions.get());
    closeWindow(program_.frmToText.get());
    QApplication::exit(0);
}

} // namespace ziq
