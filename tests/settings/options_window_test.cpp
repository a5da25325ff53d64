#include "settings/options_fixture.h"

#include "dialogs/about_window.h"
#include "platform/desktop/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <fstream>

namespace ziq::test {
namespace {

using OptionsWindowTest = OptionsFixture;

TEST_F(OptionsWindowTest, LaysOutControlsInTwipsInsideTheirFrames) {
    OptionsWindow& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("ZIQ Options"));
    EXPECT_TRUE(w.width() >= twipsToPixels(6390) && w.height() == twipsToPixels(8115));
    EXPECT_EQ(w.minimumSize(), w.maximumSize()); // it does not react to resizing

    const struct {
        QWidget* control;
        QWidget* parent;
        QRect twips;
        const char* caption;
    } expected[] = {
        {w.Check7, &w, {5280, 120, 1215, 495}, "Hit && Run?"},
        {w.Option5, w.Frame1, {4320, 360, 1695, 495}, "5 Infrequently"},
        {w.Command1, w.Frame3, {120, 240, 615, 615}, ""},
        {w.Option10,
         w.Frame2,
         {840, 1920, 5175, 495},
         "One File per day, date stamp as file name (uDateTime.txt)"},
        {w.Command2, &w, {4800, 7440, 1335, 495}, "&Save Changes"},
    };
    for (const auto& e : expected) {
        const QString name = e.control->objectName();
        EXPECT_EQ(w.findChild<QWidget*>(name), e.control) << name.toStdString();
        EXPECT_EQ(e.control->parentWidget(), e.parent) << name.toStdString();
        // Designed places; a caption wider than designed may widen its control.
        const QRect designed =
            twipsRect(e.twips.x(), e.twips.y(), e.twips.width(), e.twips.height());
        EXPECT_EQ(e.control->pos(), designed.topLeft()) << name.toStdString();
        EXPECT_EQ(e.control->height(), designed.height()) << name.toStdString();
        EXPECT_GE(e.control->width(), designed.width()) << name.toStdString();
        EXPECT_EQ(static_cast<QAbstractButton*>(e.control)->text(), QString::fromUtf8(e.caption))
            << name.toStdString();
    }
    EXPECT_EQ(w.Frame1->title(), QStringLiteral("Select Frequncy for ZIQ to check clipboard"));
    EXPECT_EQ(w.Command1->iconSize(), QSize(32, 32));
}

// At the fonts of ordinary desktops every caption is whole and inside its frame and the
// window, and no two controls side by side run into each other.
TEST_F(OptionsWindowTest, CaptionsAreWholeAndNoControlsOverlapAtDesktopFonts) {
    const QFont original = QApplication::font();
    for (const int points : {9, 10, 11, 12}) {
        QFont font = original;
        font.setPointSize(points);
        QApplication::setFont(font);
        OptionsWindow& w = open();
        for (QWidget* parent : std::initializer_list<QWidget*>{&w, w.Frame1, w.Frame2, w.Frame3}) {
            const auto siblings = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            for (const QWidget* control : siblings) {
                const std::string name =
                    std::to_string(points) + " pt " + control->objectName().toStdString();
                const QSize whole = qobject_cast<const QGroupBox*>(control) != nullptr
                                        ? control->minimumSizeHint()
                                        : control->sizeHint();
                EXPECT_GE(control->width(), whole.width()) << name;
                EXPECT_GE(control->height(), whole.height()) << name;
                EXPECT_TRUE(parent->rect().contains(control->geometry())) << name;
                for (const QWidget* other : siblings) {
                    EXPECT_TRUE(other == control ||
                                !other->geometry().intersects(control->geometry()))
                        << name << " and " << other->objectName().toStdString();
                }
            }
        }
        w.close();
        flush();
    }
    QApplication::setFont(original);
}

TEST_F(OptionsWindowTest, StartToolTipsStandAsWritten) {
    OptionsWindow& w = open();
    EXPECT_EQ(w.Check2->toolTip(),
              QStringLiteral("Will beep when new text is found on the clipboard if hecked."));
    EXPECT_EQ(
        w.Option1->toolTip(),
        QStringLiteral("Check clipboard more frequently, use if you're a realy fast copy/paster."));
    EXPECT_EQ(w.Option6->toolTip(), QStringLiteral("This could result in an enourmous file."));
    for (const QWidget* none : {static_cast<QWidget*>(w.Option2), static_cast<QWidget*>(w.Check5),
                                static_cast<QWidget*>(w.Command5)}) {
        EXPECT_TRUE(none->toolTip().isEmpty()) << none->objectName().toStdString();
    }
}

TEST_F(OptionsWindowTest, TabKeyFollowsTheDesignedOrder) {
    OptionsWindow& w = open();
    const QStringList expected = {"Check1",   "Check2",   "Check3",   "Option1",  "Option2",
                                  "Option3",  "Option4",  "Option5",  "Command1", "Check5",
                                  "Option6",  "Option7",  "Option8",  "Check4",   "Check6",
                                  "Command8", "Option9",  "Option10", "Check8",   "Command5",
                                  "Command4", "Command3", "Command2", "Check7"};
    QStringList order;
    QWidget* next = w.Check1;
    do {
        if (next->focusPolicy() & Qt::TabFocus) {
            order << next->objectName();
        }
        next = next->nextInFocusChain();
    } while (next != w.Check1 && order.size() < 40);
    order.removeAll(QString());
    EXPECT_EQ(order, expected);
}

TEST_F(OptionsWindowTest, EscCancelsWithoutWritingAndNoButtonIsTheDefault) {
    const std::string before = fileText();
    OptionsWindow& w = open();
    for (const QPushButton* button : w.findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    }
    // Enter on a check box presses nothing.
    w.Check2->setFocus();
    QTest::keyClick(w.Check2, Qt::Key_Return);
    flush();
    ASSERT_EQ(app().frmOptions.get(), &w);

    w.Check2->click();
    w.Option4->setChecked(true);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(w.Check2, Qt::Key_Escape);
    EXPECT_EQ(app().frmOptions, nullptr);
    flush();
    EXPECT_EQ(fileText(), before);
    EXPECT_EQ(settings().frequency, "1");
}

TEST_F(OptionsWindowTest, OpeningAgainKeepsUnsavedEditsAndClosingDiscards) {
    OptionsWindow& w = open();
    w.Check2->click();
    w.Option3->setChecked(true);
    OptionsWindow& same = open();
    EXPECT_EQ(&same, &w);
    EXPECT_FALSE(same.Check2->isChecked());
    EXPECT_TRUE(same.Option3->isChecked());

    w.close(); // the close box
    EXPECT_EQ(app().frmOptions, nullptr);
    flush();
    OptionsWindow& fresh = open();
    EXPECT_TRUE(fresh.Check2->isChecked());
    EXPECT_TRUE(fresh.Option1->isChecked());
}

TEST_F(OptionsWindowTest, ShutdownTakesTheWindowAlongWithoutItsClosingSteps) {
    const std::string before = fileText();
    OptionsWindow& w = open();
    program().shuttingDown = 1;
    w.close();
    EXPECT_EQ(app().frmOptions.get(), &w);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(fileText(), before);
}

TEST_F(OptionsWindowTest, FolderToolTipsNameTheSavedFoldersWhenThePointerMoves) {
    settings().savedFilePath = "/var/clips/";
    settings().linkSavedFilePath = "/var/links/";
    OptionsWindow& w = open();
    program().browse.pendingLogPath = "/chosen/but/not/saved";
    for (QPushButton* button : {w.Command1, w.Command8}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &move);
    }
    EXPECT_EQ(w.Command1->toolTip(), QStringLiteral("Current main logs path: /var/clips/"));
    EXPECT_EQ(w.Command8->toolTip(), QStringLiteral("Current Link Catcher log path: /var/links/"));
}

#ifdef _WIN32
TEST_F(OptionsWindowTest, HelpOpensTheHelpTextInNotepad) {
    // Notepad, by its full path in the Windows folder, gets the path as one argument and
    // tells the user itself of a missing file.
    const std::string help = tp.path("ziqhelp.txt");
    OptionsWindow& w = open();
    w.Command5->click();
    ASSERT_EQ(tp.desktop.started.size(), 1u);
    ASSERT_EQ(tp.desktop.started[0].size(), 2);
    EXPECT_TRUE(
        tp.desktop.started[0][0].endsWith(QStringLiteral("\\notepad.exe"), Qt::CaseInsensitive))
        << qPrintable(tp.desktop.started[0][0]);
    EXPECT_TRUE(QFileInfo(tp.desktop.started[0][0]).isAbsolute());
    EXPECT_EQ(tp.desktop.started[0][1], QString::fromStdString(help));
    EXPECT_TRUE(tp.desktop.opened.empty());
    EXPECT_TRUE(tp.messages.shown.empty());

    // A Notepad that does not start is reported.
    tp.desktop.startSucceeds = false;
    w.Command5->click();
    ASSERT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(tp.messages.shown[0].text, "Could not open the help file " + help + ".");
}
#else
TEST_F(OptionsWindowTest, HelpOpensTheHelpTextBesideTheProgram) {
    const std::string help = tp.path("ziqhelp.txt");
    std::ofstream(filePath(help)) << "help\n";
    OptionsWindow& w = open();
    w.Command5->click();
    ASSERT_EQ(tp.desktop.opened.size(), 1);
    EXPECT_EQ(tp.desktop.opened[0], QString::fromStdString(help));
    EXPECT_TRUE(tp.desktop.started.empty()); // never through a shell or a command string
    EXPECT_EQ(app().frmOptions.get(), &w);
    EXPECT_TRUE(tp.messages.shown.empty());

    // Without the file the user is told where it was looked for.
    std::filesystem::remove(filePath(help));
    w.Command5->click();
    EXPECT_EQ(tp.desktop.opened.size(), 1);
    ASSERT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(tp.messages.shown[0].text, "Could not open the help file " + help + ".");
    EXPECT_EQ(tp.messages.shown[0].icon, MessageIcon::Exclamation);

    // A folder name with blanks and shell characters arrives as one untouched argument.
    const std::string odd = tp.path("odd folder; $(true) 'x'");
    std::filesystem::create_directory(filePath(odd));
    std::ofstream(filePath(odd + kPathSeparator + "ziqhelp.txt")) << "help\n";
    program().app.programDir = odd;
    w.Command5->click();
    ASSERT_EQ(tp.desktop.opened.size(), 2);
    EXPECT_EQ(tp.desktop.opened[1], QString::fromStdString(odd + kPathSeparator + "ziqhelp.txt"));
}
#endif

TEST_F(OptionsWindowTest, AboutOpensBesideTheOptionsWindow) {
    OptionsWindow& w = open();
    w.Command4->click();
    ASSERT_NE(app().frmAbout, nullptr);
    EXPECT_TRUE(app().frmAbout->isVisible());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(app().frmOptions.get(), &w);
}

} // namespace
} // namespace ziq::test
