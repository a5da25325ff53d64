#include "settings/options_window.h"

#include "settings/program.h"
#include "platform/desktop/text_viewer.h"
#include "platform/desktop/twips.h"
#include "settings/read_ini_value.h"
#include "settings/save_options.h"
#include "settings/setting_number.h"
#include "settings/settings.h"
#include "settings/settings_paths.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

namespace ziq {

namespace {

constexpr const char* kHelpFileName = "ziqhelp.txt";

template <typename Control>
Control* control(QWidget* parent, const char* name, const QString& caption, int left, int top,
                 int width, int height) {
    auto* widget = new Control(caption, parent);
    widget->setObjectName(QLatin1String(name));
    placeInTwips(*widget, left, top, width, height);
    return widget;
}

QPushButton* folderButton(QWidget* parent, const char* name, int left, int top) {
    auto* button = control<QPushButton>(parent, name, QString(), left, top, 615, 615);
    button->setIcon(QIcon(QStringLiteral(":/icons/folder.xpm")));
    button->setIconSize(QSize(32, 32));
    button->setMouseTracking(true); // its tool-tip follows every pointer move over it
    return button;
}

// The two separate tests by which a flag reaches its check box. A text that is not a number
// passes both, so the box ends unchecked.
void showFlag(QCheckBox* box, const std::string& value) {
    if (guardedEquals(value, 1)) {
        box->setChecked(true);
    }
    if (guardedEquals(value, 0)) {
        box->setChecked(false);
    }
}

std::string hitAndRunNotice(const std::string& iniPath) {
    return "NOTICE: Once you check this option and save it, this program will open, do its job, "
           "then exit.  The only way back in is to edit " +
           iniPath +
           " and set HITNRUN=0 or simply delete ziq.ini to reset all settings.  You could also "
           "run the command: \"ZIQ2.exe 99\"";
}

// Whether two controls share a row: they overlap by more than half the smaller one's height.
// Rows of the design touch at their edges, and some overlap there by a pixel.
bool sameRow(const QRect& a, const QRect& b) {
    const int overlap = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
    return overlap * 2 > std::min(a.height(), b.height());
}

// The smallest size that shows a control whole.
QSize wholeSize(const QWidget& control) {
    return qobject_cast<const QGroupBox*>(&control) != nullptr ? control.minimumSizeHint()
                                                               : control.sizeHint();
}

// Keeps a small gap between neighbours in a row, in their designed order: a control wider than
// its caption needs ends short of its right-hand neighbour, else the neighbour moves right to
// the designed gap. Where rows touch, the upper control ends just above the lower one.
void separate(const QList<QWidget*>& controls) {
    const int minimumGap = twipsToPixels(60);
    const int designedGap = twipsToPixels(105);
    QList<QWidget*> byLeft = controls;
    std::stable_sort(byLeft.begin(), byLeft.end(),
                     [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
    for (qsizetype i = 0; i < byLeft.size(); ++i) {
        QWidget* left = byLeft[i];
        for (qsizetype j = i + 1; j < byLeft.size(); ++j) {
            QWidget* right = byLeft[j];
            if (!sameRow(left->geometry(), right->geometry()) ||
                right->x() >= left->geometry().right() + 1 + minimumGap) {
                continue;
            }
            const int room = right->x() - minimumGap - left->x();
            if (room >= wholeSize(*left).width()) {
                left->resize(room, left->height());
            } else {
                right->move(left->geometry().right() + 1 + designedGap, right->y());
            }
        }
    }
    for (QWidget* upper : controls) {
        for (const QWidget* lower : controls) {
            if (lower->y() > upper->y() && upper->geometry().intersects(lower->geometry()) &&
                !sameRow(upper->geometry(), lower->geometry())) {
                upper->resize(upper->width(), lower->y() - upper->y());
            }
        }
    }
}

// The layout was drawn for a narrow 8-point font; a wider desktop font would cut captions.
// Controls grow to their text and push their right-hand neighbours on along the row, and
// whatever holds them grows around them. Where the font is narrow all keeps its designed place.
QSize grownToFit(QWidget& container) {
    const int margin = twipsToPixels(120);
    QList<QWidget*> controls;
    for (QWidget* child : container.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (auto* frame = qobject_cast<QGroupBox*>(child)) {
            frame->resize(grownToFit(*frame).expandedTo(wholeSize(*frame)));
        } else if (qobject_cast<QAbstractButton*>(child) != nullptr) {
            child->resize(child->size().expandedTo(wholeSize(*child)));
        }
        controls.append(child);
    }
    separate(controls);
    QSize needed = container.size();
    for (const QWidget* child : controls) {
        needed = needed.expandedTo(
            QSize(child->geometry().right() + margin, child->geometry().bottom() + 1));
    }
    return needed;
}

} // namespace

OptionsWindow::OptionsWindow(Program& program, QWidget* parent)
    : QWidget(parent), program_(program) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("ZIQ Options"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ziq.png")));
    setFixedSize(twipsToPixels(6390), twipsToPixels(8115));
    buildControls();
    fitCaptions();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    setStartToolTips();
    setTabOrder();
    connectHandlers();
    load();
}

OptionsWindow::~OptionsWindow() = default;

void OptionsWindow::buildControls() {
    Check1 = control<QCheckBox>(this, "Check1", QStringLiteral("ZIQ On?"), 120, 120, 1455, 495);
    Check2 = control<QCheckBox>(this, "Check2", QStringLiteral("Beep?"), 1680, 120, 1215, 495);
    Check3 = control<QCheckBox>(this, "Check3", QStringLiteral("Auto Open Viewers?"), 3000, 120,
                                2175, 495);
    Check7 =
        control<QCheckBox>(this, "Check7", QStringLiteral("Hit && Run?"), 5280, 120, 1215, 495);

    Frame1 = control<QGroupBox>(this, "Frame1",
                                QStringLiteral("Select Frequncy for ZIQ to check clipboard"), 0,
                                720, 6255, 1095);
    Option1 =
        control<QRadioButton>(Frame1, "Option1", QStringLiteral("1 Frequent"), 120, 360, 1215, 495);
    Option2 = control<QRadioButton>(Frame1, "Option2", QStringLiteral("2"), 1440, 360, 735, 495);
    Option3 =
        control<QRadioButton>(Frame1, "Option3", QStringLiteral("3 Medium"), 2280, 360, 1215, 495);
    Option4 = control<QRadioButton>(Frame1, "Option4", QStringLiteral("4"), 3480, 360, 735, 495);
    Option5 = control<QRadioButton>(Frame1, "Option5", QStringLiteral("5 Infrequently"), 4320, 360,
                                    1695, 495);

    Frame3 = control<QGroupBox>(this, "Frame3", QStringLiteral("Clipboard Logging"), 0, 1920, 6255,
                                2775);
    Command1 = folderButton(Frame3, "Command1", 120, 240);
    Check5 =
        control<QCheckBox>(Frame3, "Check5", QStringLiteral("Auto Save Clipboard Text to a Log?"),
                           840, 240, 3615, 495);
    Option6 = control<QRadioButton>(Frame3, "Option6",
                                    QStringLiteral("One continuous appended ZIQ.TXT file"), 840,
                                    840, 4035, 495);
    Option7 = control<QRadioButton>(
        Frame3, "Option7", QStringLiteral("One file per clip copy with date_time as file name"),
        840, 1440, 4400, 495);
    Option8 = control<QRadioButton>(
        Frame3, "Option8", QStringLiteral("One File per date with date stamp as file name"), 840,
        2040, 4400, 495);

    Frame2 = control<QGroupBox>(this, "Frame2", QStringLiteral("Link Catcher/Logging"), 0, 4800,
                                6255, 2535);
    Check4 = control<QCheckBox>(Frame2, "Check4", QStringLiteral("Link Catcher On"), 240, 360, 3735,
                                375);
    Check6 = control<QCheckBox>(Frame2, "Check6",
                                QStringLiteral("Save Links From Linkcatcher/Clipboard to a File?"),
                                240, 840, 5775, 495);
    Command8 = folderButton(Frame2, "Command8", 120, 1320);
    Option9 = control<QRadioButton>(Frame2, "Option9",
                                    QStringLiteral("One continuous appended ZIQURL.TXT"), 840, 1320,
                                    4575, 495);
    Option10 = control<QRadioButton>(
        Frame2, "Option10",
        QStringLiteral("One File per day, date stamp as file name (uDateTime.txt)"), 840, 1920,
        5175, 495);
    Check8 =
        control<QCheckBox>(Frame2, "Check8", QStringLiteral("Strict URL's"), 4440, 375, 1695, 360);

    Command5 = control<QPushButton>(this, "Command5", QStringLiteral("Help"), 240, 7440, 1215, 495);
    Command4 =
        control<QPushButton>(this, "Command4", QStringLiteral("&About"), 1680, 7440, 1335, 495);
    Command3 =
        control<QPushButton>(this, "Command3", QStringLiteral("&Cancel"), 3240, 7440, 1335, 495);
    Command2 = control<QPushButton>(this, "Command2", QStringLiteral("&Save Changes"), 4800, 7440,
                                    1335, 495);

    // No default button: Enter presses a button only while that button has the focus.
    for (QPushButton* button : {Command1, Command2, Command3, Command4, Command5, Command8}) {
        button->setAutoDefault(true);
        button->setDefault(false);
    }
    // Esc cancels wherever the focus is.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, Command3, &QPushButton::click);
}

void OptionsWindow::fitCaptions() {
    const QSize needed = grownToFit(*this);
    // The frames share one width, as designed.
    const int frameWidth = std::max({Frame1->width(), Frame2->width(), Frame3->width()});
    for (QGroupBox* frame : {Frame1, Frame2, Frame3}) {
        frame->resize(frameWidth, frame->height());
    }
    setFixedSize(needed.expandedTo(QSize(frameWidth + twipsToPixels(135), 0)));
}

void OptionsWindow::setStartToolTips() {
    Check1->setToolTip(
        QStringLiteral("Clipboard conversion and Link Catcher off when this is checked."));
    Check2->setToolTip(
        QStringLiteral("Will beep when new text is found on the clipboard if hecked."));
    Check3->setToolTip(QStringLiteral("Will automatically open the Link Catcher and Text Catcher "
                                      "viewer windows when ZIQ loads if checked."));
    Check7->setToolTip(QStringLiteral("If checked, ZIQ will load, do everything you have set it to "
                                      "do with what is on the clipboard, then exit immediately "
                                      "when done."));
    Option1->setToolTip(
        QStringLiteral("Check clipboard more frequently, use if you're a realy fast copy/paster."));
    Option5->setToolTip(QStringLiteral("Select this if you rarely copy to the clipboard."));
    Option6->setToolTip(QStringLiteral("This could result in an enourmous file."));
    Command1->setToolTip(QStringLiteral("Change Destination for main clipboard logs"));
    Check4->setToolTip(QStringLiteral("Will monitor clipboard text for certain links such as "
                                      "URL's, e-mail addresses, ftp sites, etc."));
    Check8->setToolTip(QStringLiteral("Only text STARTING with url identifiers such as HTTP, and "
                                      "mailto: will be captured in ZIQ Link Catcher when this is "
                                      "checked."));
    Command8->setToolTip(QStringLiteral("Change Destination of Link Catcher logs"));
    Command3->setToolTip(QStringLiteral("Resume ZIQ but do not save unapplied changes."));
    Command2->setToolTip(QStringLiteral("Save/Apply Changes you made & close this window."));
}

void OptionsWindow::setTabOrder() {
    const QWidget* const order[] = {Check1,  Check2,   Check3,   Option1,  Option2,  Option3,
                                    Option4, Option5,  Command1, Check5,   Option6,  Option7,
                                    Option8, Check4,   Check6,   Command8, Option9,  Option10,
                                    Check8,  Command5, Command4, Command3, Command2, Check7};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
    }
    Check1->setFocus();
}

void OptionsWindow::connectHandlers() {
    connect(Check7, &QCheckBox::toggled, this, &OptionsWindow::hitAndRunChanged);
    connect(Command1, &QPushButton::clicked, this,
            [this] { chooseFolder(BrowseTarget::ClipboardLog); });
    connect(Command8, &QPushButton::clicked, this, [this] { chooseFolder(BrowseTarget::LinkLog); });
    Command1->installEventFilter(this);
    Command8->installEventFilter(this);
    connect(Command5, &QPushButton::clicked, this, &OptionsWindow::openHelp);
    connect(Command4, &QPushButton::clicked, this, &OptionsWindow::aboutRequested);
    connect(Command3, &QPushButton::clicked, this, &QWidget::close);
    connect(Command2, &QPushButton::clicked, this, &OptionsWindow::save);
}

void OptionsWindow::load() {
    Settings& settings = program_.settings;
    BrowseState& browse = program_.browse;
    browse.browseTarget = BrowseTarget::None;
    browse.pendingLogPath = settings.savedFilePath;
    browse.pendingLinkLogPath = settings.linkSavedFilePath;
    settings.iniPath = settingsFilePath(program_.app);

    showFlag(Check1, settings.clipboardOn);
    showFlag(Check2, settings.beepOn);
    showFlag(Check3, settings.autoOpenViewers);

    const std::string& frequency = settings.frequency;
    QRadioButton* const frequencies[] = {Option1, Option2, Option3, Option4, Option5};
    QRadioButton* chosen = Option1;
    for (int n = 1; n <= 5; ++n) {
        if (guardedEquals(frequency, n)) {
            chosen = frequencies[n - 1];
            break;
        }
    }
    chosen->setChecked(true);

    showFlag(Check5, settings.autoSave);
    // The stored value, not the one in memory: "99" on the command line may have
    // suspended hit-and-run mode for this run only.
    showFlag(Check7, ReadIniValue(kHitAndRunKey, settings.iniPath));

    if (guardedEquals(settings.saveType, 1)) {
        Option6->setChecked(true);
    } else if (guardedEquals(settings.saveType, 2)) {
        Option7->setChecked(true);
    } else {
        Option8->setChecked(true);
    }

    showFlag(Check4, settings.linkCatcherOn);
    showFlag(Check8, settings.strictUrls);
    showFlag(Check6, settings.linkAutoSave);

    if (guardedEquals(settings.linkSaveType, 1)) {
        Option9->setChecked(true);
    } else {
        Option10->setChecked(true);
    }
}

OptionsChoice OptionsWindow::choice() const {
    OptionsChoice choice;
    const QCheckBox* const checks[] = {Check1, Check2, Check3, Check4,
                                       Check5, Check6, Check7, Check8};
    for (std::size_t i = 0; i < std::size(checks); ++i) {
        choice.check[i + 1] = checks[i]->isChecked();
    }
    const QRadioButton* const options[] = {Option1, Option2, Option3, Option4, Option5,
                                           Option6, Option7, Option8, Option9, Option10};
    for (std::size_t i = 0; i < std::size(options); ++i) {
        choice.option[i + 1] = options[i]->isChecked();
    }
    return choice;
}

void OptionsWindow::hitAndRunChanged(bool checked) {
    if (checked) {
        program_.showMessage(hitAndRunNotice(settingsFilePath(program_.app)),
                             MessageIcon::Critical);
    }
}

// The browser always starts at the folder saved in the settings, not at one chosen earlier
// and not saved yet.
void OptionsWindow::chooseFolder(BrowseTarget target) {
    BrowseState& browse = program_.browse;
    const bool clipboardLogs = target == BrowseTarget::ClipboardLog;
    (clipboardLogs ? browse.logPathChanged : browse.linkLogPathChanged) = 1;
    browse.browseTarget = target;
    setEnabled(false);
    const std::string& saved =
        clipboardLogs ? program_.settings.savedFilePath : program_.settings.linkSavedFilePath;
    emit folderBrowseRequested(QString::fromStdString(saved));
}

bool OptionsWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
    case QEvent::ToolTip:
        if (watched == Command1 || watched == Command8) {
            updateFolderToolTip(static_cast<QPushButton*>(watched));
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// The tool-tips name the saved folders, also while a newly chosen one waits to be saved.
void OptionsWindow::updateFolderToolTip(QPushButton* button) {
    const Settings& settings = program_.settings;
    const std::string tip = button == Command1
                                ? "Current main logs path: " + settings.savedFilePath
                                : "Current Link Catcher log path: " + settings.linkSavedFilePath;
    button->setToolTip(QString::fromStdString(tip));
}

void OptionsWindow::openHelp() {
    const QString path =
        QString::fromStdString(joinProgramPath(program_.app.programDir, kHelpFileName));
    if (openTextFile(program_.desktop, path) == TextFileOpening::FailedUntold) {
        program_.showMessage("Could not open the help file " + path.toStdString() + ".",
                             MessageIcon::Exclamation);
    }
}

void OptionsWindow::save() {
    SaveOptions(program_, program_.messages, choice());
    close();
}

void OptionsWindow::closeEvent(QCloseEvent* event) {
    if (program_.shuttingDown != 0) {
        event->accept();
        return;
    }
    // While a folder is being chosen the window is disabled and cannot be closed by the user.
    if (!isEnabled() && event->spontaneous()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

} // namespace ziq
