#include "dialogs/file_browser_window.h"

#include "settings/program.h"
#include "dialogs/directory_list.h"
#include "dialogs/drive_list.h"
#include "platform/system/app_info.h"
#include "platform/desktop/twips.h"
#include "platform/desktop/window_front.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

namespace ziq {

namespace {
QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}
} // namespace

FileBrowserWindow::FileBrowserWindow(Program& program, QWidget* owner, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      program_(program), owner_(owner) {
    setObjectName(QStringLiteral("frmFileBrowser"));
    setWindowTitle(QStringLiteral("ZIQ Browse for File or Directory"));
    // No icon, as designed: an icon set empty keeps the program's icon from being inherited.
    setWindowIcon(QIcon());
    setFixedSize(twipsToPixels(4530), twipsToPixels(4275));
    buildControls();
}

FileBrowserWindow::~FileBrowserWindow() = default;

void FileBrowserWindow::buildControls() {
    Drive1 = new DriveList(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    placeInTwips(*Drive1, 120, 120, 4335, 315);

    Dir1 = new DirectoryList(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    placeInTwips(*Dir1, 120, 480, 4335, 2565);

    Command1 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    placeInTwips(*Command1, 1920, 3720, 1215, 495);

    Command2 = new QPushButton(QStringLiteral("&Ok"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setToolTip(QStringLiteral(
        "To make new options stick click the 'Save Changes' button in the ZIQ Options window."));
    placeInTwips(*Command2, 3240, 3720, 1215, 495);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    placeInTwips(*Text1, 120, 3120, 4335, 495);
    Text1->setFocusPolicy(Qt::NoFocus);
    Text1->setReadOnly(true);
    Text1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setBold(true);
    Text1->setFont(font);

    // Enter presses a button only while it has the focus; Esc presses Cancel.
    for (QPushButton* button : {Command1, Command2}) {
        button->setAutoDefault(true);
    }
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, Command1);
    setTabOrder(Command1, Command2);
    Drive1->setFocus();
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, Command1, &QPushButton::click);

    connect(Drive1, &DriveList::currentIndexChanged, this, &FileBrowserWindow::driveChanged);
    connect(Dir1, &DirectoryList::pathChanged, this, &FileBrowserWindow::directoryChanged);
    connect(Text1, &QPlainTextEdit::textChanged, this, &FileBrowserWindow::textChanged);
    connect(Command2, &QPushButton::clicked, this, &FileBrowserWindow::commit);
    connect(Command1, &QPushButton::clicked, this, &FileBrowserWindow::cancel);
}

void FileBrowserWindow::browseFrom(const QString& folder) {
    Text1->clear();
    Text1->setEnabled(false);
    if (QWindow* own = owner_ != nullptr ? owner_->windowHandle() : nullptr) {
        createWinId();
        windowHandle()->setTransientParent(own);
    }
    bringForward(*this);
    setDrive(folder.toStdString());
    setDirectory(folder.toStdString());
}

bool FileBrowserWindow::setDrive(const std::string& folder) {
    return Drive1->setDrive(fromUtf8(folder));
}

bool FileBrowserWindow::setDirectory(const std::string& folder) {
    return Dir1->setPath(fromUtf8(folder));
}

void FileBrowserWindow::driveChanged() {
    if (!Dir1->setPath(Drive1->drive())) {
        fallBack();
    }
}

void FileBrowserWindow::directoryChanged() {
    const QString shown = fromUtf8(withTrailingSeparator(Dir1->path().toStdString()));
    if (Text1->toPlainText() != shown) {
        Text1->setPlainText(shown);
    }
}

void FileBrowserWindow::textChanged() {
    if (!Text1->toPlainText().isEmpty()) {
        Text1->setVisible(true);
    }
}

// A volume that cannot be read sends both lists back to the clipboard log folder, whichever
// folder is being chosen. When that folder cannot be shown either, the directory list keeps
// the folder it showed.
void FileBrowserWindow::fallBack() {
    if (fallingBack_) {
        return;
    }
    fallingBack_ = true;
    const std::string& saved = program_.settings.savedFilePath;
    setDrive(saved);
    setDirectory(saved);
    fallingBack_ = false;
}

void FileBrowserWindow::commit() {
    BrowseState& browse = program_.browse;
    const std::string chosen = Dir1->path().toStdString();
    // Nothing is chosen while the list shows no folder at all.
    if (!chosen.empty()) {
        if (browse.browseTarget == BrowseTarget::ClipboardLog && browse.logPathChanged == 1) {
            browse.pendingLogPath = chosen;
        } else if (browse.browseTarget == BrowseTarget::LinkLog && browse.linkLogPathChanged == 1) {
            browse.pendingLinkLogPath = chosen;
        }
    }
    close();
}

void FileBrowserWindow::cancel() {
    BrowseState& browse = program_.browse;
    if (browse.browseTarget == BrowseTarget::None) {
        browse.logPathChanged = 0;
        browse.linkLogPathChanged = 0;
    }
    if (browse.browseTarget == BrowseTarget::ClipboardLog &&
        program_.settings.savedFilePath != browse.pendingLogPath) {
        browse.logPathChanged = 1;
    }
    if (browse.browseTarget == BrowseTarget::LinkLog &&
        program_.settings.linkSavedFilePath != browse.pendingLinkLogPath) {
        browse.linkLogPathChanged = 1;
    }
    close();
}

void FileBrowserWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (placed_) {
        return;
    }
    placed_ = true;
    QRect owner;
    if (owner_ != nullptr && owner_->isVisible()) {
        owner = owner_->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        owner = screen->availableGeometry();
    }
    if (owner.isValid()) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner.center());
        move(frame.topLeft());
    }
}

void FileBrowserWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (program_.shuttingDown != 0) {
        return;
    }
    emit closed();
}

} // namespace ziq
