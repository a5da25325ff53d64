#include "app/form1.h"

#include "app/application.h"
#include "app/check_prev_instance.h"
#include "app/program_icon.h"
#include "app/tray_message.h"
#include "app/window_stack.h"
#include "capture/to_text_window.h"
#include "dialogs/about_window.h"
#include "dialogs/file_browser_window.h"
#include "links/link_catcher_window.h"
#include "platform/clipboard/clipboard.h"
#include "platform/system/instance_channel.h"
#include "settings/load_settings.h"
#include "settings/options_window.h"
#include "settings/program.h"
#include "settings/setting_number.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

namespace ziq {

namespace {

// Puts one window's outer top at another's outer bottom. On X11 a window's outer size is
// known only once the window manager has framed it, some time after it was shown, and a window
// moved before that may keep its inside where its frame should go. So the place is taken again
// until it has been taken with both frames known; with no window manager, for a few seconds.
class PlaceBelow final : public QObject {
public:
    PlaceBelow(QWidget& above, QWidget& below) : QObject(&above), above_(above), below_(below) {
        place();
        auto* again = new QTimer(this);
        connect(again, &QTimer::timeout, this, &PlaceBelow::place);
        again->start(50);
        QTimer::singleShot(5000, this, &QObject::deleteLater);
    }

private:
    void place() {
        QWindow* top = above_.windowHandle();
        QWindow* bottom = below_.windowHandle();
        if (top == nullptr || bottom == nullptr) {
            return;
        }
        // Read before moving: a window framed only afterwards needs one more turn.
        const QMargins margins = bottom->frameMargins();
        const bool framed = !margins.isNull() && !top->frameMargins().isNull();
        // The windows' own frames, not the widgets' copies, which follow only their moves.
        const QRect frame = top->frameGeometry();
        const QPoint inside(below_.geometry().left(), frame.top() + frame.height() + margins.top());
        below_.setGeometry(QRect(inside, below_.size()));
        if (framed) {
            deleteLater();
        }
    }

    QWidget& above_;
    QWidget& below_;
};

} // namespace

Form1::Form1(Application& app, QWidget* parent)
    : QWidget(parent), app_(app), program_(app.program) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ZIQ"));
    setWindowIcon(programIcon());
    pichook = new QWidget(this);
    pichook->setObjectName(QStringLiteral("pichook"));
    pichook->hide();
    buildMenu();
}

Form1::~Form1() {
    // The channel outlives this window; a late request must not reach it.
    program_.instance.setComeForwardHandler({});
}

void Form1::buildMenu() {
    mnuBar = new QMenu(QStringLiteral("PopupMenu"), this);
    mnuBar->setObjectName(QStringLiteral("mnuBar"));
    const auto item = [this](const char* name, const QString& caption, void (Form1::*click)()) {
        QAction* action = mnuBar->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, click);
        return action;
    };
    menu2 = item("menu2", QStringLiteral("View Text"), &Form1::menu2Click);
    mnuCatcher =
        item("mnuCatcher", QStringLiteral("View Link/String Catcher"), &Form1::mnuCatcherClick);
    mnuClearClip =
        item("mnuClearClip", QStringLiteral("Clear Clipboard"), &Form1::mnuClearClipClick);
    mnuOnOff = item("mnuOnOff", QString(), &Form1::mnuOnOffClick);
    mnuOptions = item("mnuOptions", QStringLiteral("Options"), &Form1::mnuOptionsClick);
    mnuAbout = item("mnuAbout", QStringLiteral("About"), &Form1::mnuAboutClick);
    mnuCancel = item("mnuCancel", QStringLiteral("Cancel"), &Form1::mnuCancelClick);
    mnuExit = item("mnuExit", QStringLiteral("Exit"), &Form1::unload);
}

void Form1::addTrayIcon() {
    // Qt settles the kind of tray for good when the first icon is made, so with no tray yet
    // (a panel that starts after us) the icon is made once one is there. A tray that restarts
    // later takes the icon back by itself.
    trayKind = program_.trayHost.kind();
    if (trayKind == TrayKind::None) {
        program_.trayHost.watchForTray([this] {
            if (trayIcon == nullptr && program_.shuttingDown == 0 &&
                (trayKind = program_.trayHost.kind()) != TrayKind::None) {
                program_.trayHost.watchForTray({});
                makeTrayIcon();
            }
        });
        return;
    }
    makeTrayIcon();
}

void Form1::makeTrayIcon() {
    trayIcon = new QSystemTrayIcon(windowIcon(), this);
    trayIcon->setObjectName(QStringLiteral("trayIcon"));
    trayIcon->setToolTip(QStringLiteral("ZIQ"));
    if (trayKind == TrayKind::StatusNotifierItem) {
        // Such hosts draw the menu we export; many never ask us to open one.
        trayIcon->setContextMenu(mnuBar);
    }
    // On an XEmbed tray no context menu on the icon itself: the handler pops the menu up and
    // waits for it. Queued, so that wait is not spent inside the icon's own mouse handling:
    // Exit removes the icon, and Qt's handler must not carry on with a deleted icon afterwards.
    connect(
        trayIcon, &QSystemTrayIcon::activated, this,
        [this](QSystemTrayIcon::ActivationReason reason) {
            if (program_.shuttingDown == 0) {
                pichookMouseMove(trayMessageOf(reason));
            }
        },
        Qt::QueuedConnection);
    trayIcon->show();
    QApplication::instance()->installEventFilter(this);
}

// WORKAROUND: on XEmbed trays Qt reports the right button as a context click when it is
// pressed, but the menu opens on the release (a press alone opens nothing). The icon there is
// Qt's own widget "QSystemTrayIconSys", whose right-button events are taken here; trays over
// D-Bus have no such widget and keep Qt's report.
bool Form1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
         type == QEvent::MouseButtonRelease) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton &&
        watched->objectName() == QLatin1String("QSystemTrayIconSys")) {
        if (type == QEvent::MouseButtonRelease && program_.shuttingDown == 0) {
            // Queued for the same reason as the icon's own reports (addTrayIcon).
            QMetaObject::invokeMethod(
                this, [this] { pichookMouseMove(kRightButtonUp); }, Qt::QueuedConnection);
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

std::int32_t Form1::trayMessageOf(QSystemTrayIcon::ActivationReason reason) {
    if (trayKind == TrayKind::StatusNotifierItem && reason == QSystemTrayIcon::Trigger &&
        doubleActivate_.activate(program_.trayHost.now(),
                                 program_.trayHost.doubleClickInterval())) {
        return kLeftButtonDoubleClick;
    }
    return trayMessageFor(reason);
}

void Form1::deleteTrayIcon() {
    if (trayIcon != nullptr) {
        trayIcon->hide();
    }
}

bool Form1::load() {
    program_.instance.setComeForwardHandler(
        [this](const std::string& title) { return comeForward(title); });
    if (program_.instance.anotherInstanceRunning() &&
        CheckPrevInstance(program_) == InstanceVerdict::EndThisCopy) {
        return false;
    }
    // A box of the start-up runs the event loop, and Exit or a signal may unload us there.
    // The main loop has not started, so its end cannot end the program: load stops instead.
    if (program_.shuttingDown != 0) {
        return false;
    }
    windows_ = new WindowStack(this);
    addTrayIcon(); // before anything else is shown, the welcome message included
    hide();
    QApplication::setQuitOnLastWindowClosed(false);
    program_.shuttingDown = 0;
    LoadSettings(program_, program_.messages);
    if (program_.shuttingDown != 0) {
        return false;
    }
    showViewers();
    return true;
}

bool Form1::comeForward(const std::string& title) {
    if (title != program_.appTitle) {
        return false;
    }
    if (windows_ != nullptr) {
        windows_->bringTopForward();
    }
    return true;
}

void Form1::showViewers() {
    // Loading both windows starts the poller; they are shown only when asked for, which
    // spares the user a flash of two windows at every start.
    app_.loadViewers();
    if (strictEquals(program_.settings.autoOpenViewers, 1)) {
        ToTextWindow& text = *app_.frmToText;
        LinkCatcherWindow& links = *app_.frmLinkCatcher;
        text.show();
        links.show();
        new PlaceBelow(text, links);
    }
}

void Form1::pichookMouseMove(std::int32_t message) {
    trayMessage = message;
    if (menuBusy) {
        return;
    }
    menuBusy = true;
    if (trayMessage == kLeftButtonDoubleClick) {
        app_.options().show();
        popUpMenu();
    } else if (trayMessage == kRightButtonUp) {
        popUpMenu();
    }
    menuBusy = false;
}

void Form1::popUpMenu() {
    program_.trayHost.menuOpening(*this);
    mnuBar->exec(QCursor::pos());
    program_.trayHost.menuClosed(*this);
}

void Form1::menu2Click() {
    if (app_.frmToText) {
        app_.frmToText->show();
    }
}

void Form1::mnuCatcherClick() {
    if (app_.frmLinkCatcher) {
        app_.frmLinkCatcher->show();
    }
}

void Form1::mnuClearClipClick() {
    program_.clipboard.clear();
}

void Form1::mnuOnOffClick() {
    // Memory only: the settings file keeps its value. A value that is neither 0 nor 1 (a
    // hand-edited file) is left as it is.
    std::string& on = program_.settings.clipboardOn;
    if (strictEquals(on, 0)) {
        on = "1";
    } else if (strictEquals(on, 1)) {
        on = "0";
    }
}

void Form1::mnuOptionsClick() {
    app_.options().show();
}

void Form1::mnuAboutClick() {
    app_.about().show();
}

void Form1::mnuCancelClick() {
    mnuBar->hide();
}

void Form1::unload() {
    if (program_.shuttingDown != 0) {
        return;
    }
    deleteTrayIcon();
    program_.trayHost.watchForTray({});
    program_.instance.close();
    program_.shuttingDown = 1;
    // Windows are closed here and deleted by their owner once the event loop has ended:
    // this often runs inside a handler of one of them.
    const auto closeWindow = [](QWidget* window) {
        if (window != nullptr) {
            window->close();
        }
    };
    closeWindow(app_.frmAbout.get());
    closeWindow(app_.frmFileBrowser.get());
    closeWindow(app_.frmLinkCatcher.get());
    closeWindow(app_.frmOptions.get());
    closeWindow(app_.frmToText.get());
    QApplication::exit(0);
}

} // namespace ziq
