#include "dialogs/about_window.h"

#include "settings/program.h"
#include "dialogs/sys_info.h"
#include "platform/system/file_lookup.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace ziq {

namespace {
const QColor kGrey(192, 192, 192);
const QColor kShadow(128, 128, 128);

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QLabel* label(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* control = new QLabel(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    control->setWordWrap(true);
    control->setTextFormat(Qt::PlainText);
    placeInTwips(*control, left, top, width, height);
    return control;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top,
                    int width, int height) {
    auto* control = new QPushButton(caption, parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setAutoDefault(true);
    placeInTwips(*control, left, top, width, height);
    return control;
}
} // namespace

AboutWindow::AboutWindow(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ziq.png")));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, kGrey);
    setPalette(grey);
    setFixedSize(twipsToPixels(5730), twipsToPixels(4215));
    buildControls();
    // OK, Esc and the close box all end the dialog; every way out drops the window.
    connect(this, &QDialog::finished, this, &AboutWindow::closed);
    load();
}

AboutWindow::~AboutWindow() = default;

void AboutWindow::buildControls() {
    picIcon = label(this, "picIcon", 240, 240, 540, 540);
    picIcon->setPixmap(windowIcon().pixmap(32, 32));

    lblTitle = label(this, "lblTitle", 1050, 240, 3885, 480);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = label(this, "lblVersion", 1050, 780, 3885, 225);
    lblDescription = label(this, "lblDescription", 1050, 1125, 4485, 810);

    // A grey line with a white one just below it reads as an etched groove.
    const QColor lineColours[2] = {Qt::white, kShadow};
    const int lineTops[2] = {2160 + 15, 2160};
    for (std::size_t index = 0; index < Line1.size(); ++index) {
        auto* line = new QFrame(this);
        line->setObjectName(QStringLiteral("Line1"));
        line->setProperty("index", int(index));
        line->setFrameShape(QFrame::NoFrame);
        line->setAutoFillBackground(true);
        QPalette colour = line->palette();
        colour.setColor(QPalette::Window, lineColours[index]);
        line->setPalette(colour);
        line->setGeometry(twipsToPixels(84), twipsToPixels(lineTops[index]),
                          twipsToPixels(5730 - 2 * 84), 1);
        Line1[index] = line;
    }

    lblDisclaimer = label(this, "lblDisclaimer", 240, 2385, 3870, 1305);

    cmdOK = button(this, "cmdOK", QStringLiteral("OK"), 4245, 2745, 1260, 345);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    cmdSysInfo =
        button(this, "cmdSysInfo", QStringLiteral("&System Info..."), 4260, 3195, 1245, 345);
    connect(cmdSysInfo, &QPushButton::clicked, this, &AboutWindow::StartSysInfo);
    setTabOrder(cmdOK, cmdSysInfo);

    Text1 = new QLineEdit(fromUtf8(kAboutWebPage), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setFrame(false);
    Text1->setFocusPolicy(Qt::NoFocus);
    Text1->setCursor(Qt::PointingHandCursor);
    QPalette link = Text1->palette();
    link.setColor(QPalette::Base, kGrey);
    link.setColor(QPalette::Text, Qt::blue);
    Text1->setPalette(link);
    placeInTwips(*Text1, 120, 3720, 5415, 375);
    Text1->installEventFilter(this);

    cmdOK->setFocus();
}

void AboutWindow::load() {
    setWindowTitle(QStringLiteral("About ") + fromUtf8(program_.appTitle));
    lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                            .arg(program_.app.versionMajor)
                            .arg(program_.app.versionMinor)
                            .arg(program_.app.versionRevision));
    lblDescription->setText(fromUtf8(program_.app.fileDescription));
    lblDisclaimer->setText(QString());
    lblTitle->setText(QStringLiteral("Zimbrel 2.0 by ") + fromUtf8(kAboutAuthor));

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void AboutWindow::StartSysInfo() {
    const auto start = [this](const std::string& path) {
        return program_.desktop.startProgram(QString::fromLocal8Bit(path), {});
    };
    if (!startSysInfoTool(program_.registry, sysInfoSearchPath(), start)) {
        program_.showMessage(kSysInfoUnavailable, MessageIcon::None);
    }
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        text1Click();
    }
    return QDialog::eventFilter(watched, event);
}

void AboutWindow::text1Click() {
    // Nothing useful to tell the user if the desktop cannot open it.
    program_.desktop.openDocument(fromUtf8(kAboutWebPage));
}

} // namespace ziq
