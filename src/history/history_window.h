#pragma once

#include "history/history_search.h"
#include "history/log_files.h"

#include <QDate>
#include <QWidget>

#include <functional>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTreeView;

namespace ziq {
class Clipboard;
class MessageBoxes;
} // namespace ziq

namespace ziq::history {

class EntryNeighbours;
class HistoryListModel;

struct HistoryWindowSeams {
    Clipboard& clipboard;
    MessageBoxes& messages;
    // Asks a yes/no question; true for yes.
    std::function<bool(const QString& question)> confirm;
    std::function<QDate()> today;
    // Called on the search's thread before each row it finds (may be empty); tests slow it.
    std::function<void(std::size_t row)> searchPace = {};
};

// The window of ziq2-history: type words to find past captures and links, Enter puts the
// selected one back on the clipboard and closes the window.
class HistoryWindow final : public QWidget {
    Q_OBJECT
public:
    enum DateChoice { AnyTime, Today, Yesterday, Last7Days, Last30Days, DateRange };

    HistoryWindow(LogFolders folders, HistoryWindowSeams seams, QWidget* parent = nullptr);
    ~HistoryWindow() override;
    HistoryWindow(const HistoryWindow&) = delete;
    HistoryWindow& operator=(const HistoryWindow&) = delete;

    // The query the controls ask for now.
    HistoryQuery query() const;

signals:
    void copied();
    // The first rows of a search are in the list.
    void listed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void restartSearch();
    void addRows(const std::vector<HistoryRow>& rows);
    void askForMoreNearEnd();
    void searchFinished(const QStringList& problems);
    void showPreview();
    const HistoryRow* selectedRow() const;
    int selectedIndex() const;
    void copySelected();
    void deleteSelected();
    void tell(const QString& text);

    LogFolders folders_;
    HistoryWindowSeams seams_;
    HistoryListModel* model_ = nullptr;
    HistorySearch* search_ = nullptr;
    EntryNeighbours* neighbours_ = nullptr;
    int selectAfterSearch_ = 0;
    bool copyWhenFound_ = false;

    QLineEdit* searchField = nullptr;
    QComboBox* dateFilter = nullptr;
    QDateEdit* sinceDate = nullptr;
    QDateEdit* untilDate = nullptr;
    QTreeView* entryList = nullptr;
    QLabel* nextEntry = nullptr;
    QPlainTextEdit* preview = nullptr;
    QLabel* previewNote = nullptr;
    QLabel* previousEntry = nullptr;
    QLabel* statusLine = nullptr;
};

} // namespace ziq::history
