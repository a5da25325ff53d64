#include "history/history_window.h"
#include "support/fakes.h"
#include "history_test_util.h"

#include <QLineEdit>
#include <QComboBox>
#include <QDateEdit>
#include <QPlainTextEdit>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace ziq::history {
namespace {

using test::writeBytes;
using namespace std::chrono_literals;

// Real log files in a temporary folder, read by a real window with fake clipboard and boxes.
class HistoryWindowTest : public testing::Test {
protected:
    void SetUp() override {
        // "Today" is 2024-01-25 for the window.
        writeBytes(logs.clips / "20240125.txt",
                   "[20240125090000]\nTEXT=Morning tea\n[20240125100000]\nTEXT= two\r\nlines\n"
                   "[20240125110000]\nTEXT=secret hunter2\n");
        writeBytes(logs.clips / "20240124.txt", "[20240124120000]\nTEXT=yesterday's note\n");
        writeBytes(logs.clips / "20231201.txt", "[20231201120000]\nTEXT=winter tea\n");
        writeBytes(logs.links / "u20240125.txt", "[09]\n3000=https://example.org/tea\n");
    }

    void TearDown() override {
        firstShown = true; // a search held back by `pace` goes on, and ends with the window
        window.reset();
    }

    HistoryWindow& open() {
        window = std::make_unique<HistoryWindow>(
            logs.folders, HistoryWindowSeams{clipboard, messages,
                                             [this](const QString& question) {
                                                 questions.push_back(question);
                                                 return answerYes;
                                             },
                                             [] { return QDate(2024, 1, 25); }, pace});
        window->show();
        return *window;
    }
    QTreeView& list() { return *window->findChild<QTreeView*>("entryList"); }
    QLineEdit& field() { return *window->findChild<QLineEdit*>("searchField"); }
    // The first lines listed once the search has finished, top to bottom.
    std::vector<std::string> listed() {
        auto* status = window->findChild<QLabel*>("statusLine");
        EXPECT_TRUE(QTest::qWaitFor([&] { return !status->text().endsWith(QChar(0x2026)); }));
        std::vector<std::string> out;
        for (int row = 0; row < list().model()->rowCount(); ++row) {
            out.push_back(list().model()->index(row, 0).data().toString().toStdString() + " " +
                          list().model()->index(row, 1).data().toString().toStdString() + " " +
                          list().model()->index(row, 2).data().toString().toStdString());
        }
        return out;
    }

    test::HistoryFolders logs;
    test::FakeClipboard clipboard;
    test::RecordingMessageBoxes messages;
    std::vector<QString> questions;
    bool answerYes = true;
    std::function<void(std::size_t row)> pace;
    std::atomic<bool> firstShown = false;
    std::unique_ptr<HistoryWindow> window; // last: its search ends before `pace` goes
};

TEST_F(HistoryWindowTest, ListsNewestFirstAndFiltersByWordsAndDates) {
    open();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(QApplication::focusWidget(), &field());
    EXPECT_EQ(listed(), (std::vector<std::string>{
                            "2024-01-25 11:00:00 capture secret hunter2",
                            "2024-01-25 10:00:00 capture  two",
                            "2024-01-25 09:30:00 link https://example.org/tea",
                            "2024-01-25 09:00:00 capture Morning tea",
                            "2024-01-24 12:00:00 capture yesterday's note",
                            "2023-12-01 12:00:00 capture winter tea",
                        }));
    QTest::keyClicks(&field(), "TEA");
    EXPECT_EQ(listed(), (std::vector<std::string>{
                            "2024-01-25 09:30:00 link https://example.org/tea",
                            "2024-01-25 09:00:00 capture Morning tea",
                            "2023-12-01 12:00:00 capture winter tea",
                        }));
    field().clear();
    auto* dates = window->findChild<QComboBox*>("dateFilter");
    dates->setCurrentIndex(HistoryWindow::Yesterday);
    EXPECT_EQ(listed(), (std::vector<std::string>{"2024-01-24 12:00:00 capture yesterday's note"}));
    dates->setCurrentIndex(HistoryWindow::DateRange);
    window->findChild<QDateEdit*>("untilDate")->setDate(QDate(2023, 12, 31));
    window->findChild<QDateEdit*>("sinceDate")->setDate(QDate(2023, 11, 1));
    EXPECT_EQ(listed(), (std::vector<std::string>{"2023-12-01 12:00:00 capture winter tea"}));
}

TEST_F(HistoryWindowTest, ReadsOnePageUntilTheListScrollsToItsEnd) {
    std::string many;
    for (int minute = 0; minute < 250; ++minute) {
        many += "[20230101" + std::to_string(100000 + minute / 60 * 100 + minute % 60 + 100000) +
                "]\nTEXT=entry " + std::to_string(minute) + "\n";
    }
    writeBytes(logs.clips / "20230101.txt", many);
    // The first rows are shown and laid out before the rest of the page comes, as on a busy
    // machine: the list must not take the end of those rows for the end of the page.
    pace = [this](std::size_t row) {
        for (int wait = 0; row == 30 && !firstShown && wait < 30000; ++wait) {
            std::this_thread::sleep_for(1ms);
        }
    };
    open();
    auto* status = window->findChild<QLabel*>("statusLine");
    ASSERT_TRUE(QTest::qWaitFor([&] { return list().model()->rowCount() == 30; }));
    QTest::qWait(50);
    firstShown = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return list().model()->rowCount() == 200; }));
    QTest::qWait(100);
    EXPECT_EQ(list().model()->rowCount(), 200);
    EXPECT_TRUE(status->text().endsWith(QChar(0x2026)));
    list().scrollToBottom();
    EXPECT_TRUE(QTest::qWaitFor([&] { return list().model()->rowCount() == 256; }));
    EXPECT_EQ(status->text().toStdString(), "256 entries");
}

TEST_F(HistoryWindowTest, PreviewShowsWholeEntryBetweenItsNeighbours) {
    open();
    listed();
    QTest::keyClick(&field(), Qt::Key_Down);
    auto* preview = window->findChild<QPlainTextEdit*>("preview");
    EXPECT_EQ(preview->toPlainText().toStdString(), " two\nlines");
    auto* before = window->findChild<QLabel*>("previousEntry");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !before->text().isEmpty(); }));
    EXPECT_EQ(before->text().toStdString(),
              "Before: 2024-01-25 09:30:00 link https://example.org/tea");
    EXPECT_EQ(window->findChild<QLabel*>("nextEntry")->text().toStdString(),
              "After: 2024-01-25 11:00:00 capture secret hunter2");
}

TEST_F(HistoryWindowTest, EnterCopiesTheExactTextAndCloses) {
    open();
    QSignalSpy copied(window.get(), &HistoryWindow::copied);
    // Enter before the search has answered copies the first entry the typed word finds.
    QTest::keyClicks(&field(), "two");
    QTest::keyClick(&field(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return copied.count() == 1; }));
    EXPECT_EQ(clipboard.text.toStdString(), " two\r\nlines");
    EXPECT_FALSE(window->isVisible());
}

TEST_F(HistoryWindowTest, DeleteAfterConfirmationRemovesTheEntryFromItsFile) {
    open();
    QTest::keyClicks(&field(), "hunter2");
    listed();
    answerYes = false;
    QTest::keyClick(&list(), Qt::Key_Delete);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(listed().size(), 1u);
    answerYes = true;
    QTest::keyClick(&field(), Qt::Key_Delete); // nothing after the cursor: deletes the entry
    EXPECT_TRUE(listed().empty());
    EXPECT_EQ(test::readFile(logs.clips / "20240125.txt"),
              "[20240125090000]\nTEXT=Morning tea\n[20240125100000]\nTEXT= two\r\nlines\n");
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front().text;

    // The file changed since it was listed: nothing is deleted, and the user is told.
    field().clear();
    listed();
    writeBytes(logs.clips / "20240125.txt", "[20240125090000]\nTEXT=Morning coffee\n");
    QTest::keyClick(&list(), Qt::Key_Delete);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("no longer in its log"), std::string::npos);
    EXPECT_EQ(test::readFile(logs.clips / "20240125.txt"),
              "[20240125090000]\nTEXT=Morning coffee\n");
}

} // namespace
} // namespace ziq::history
