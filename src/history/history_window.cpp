#include "history/history_window.h"

#include "history/entry_delete.h"
#include "history/entry_id.h"
#include "history/entry_neighbours.h"
#include "history/history_list_model.h"
#include "platform/clipboard/clipboard.h"
#include "platform/desktop/message_boxes.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

#include <utility>

namespace ziq::history {

namespace {

const char* const kCaption = "ZIQ2 History";

int dayNumber(const QDate& date) {
    return date.year() * 10000 + date.month() * 100 + date.day();
}

bool isEnter(const QKeyEvent& key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// Keys the search field hands to the list, so the list is driven without leaving the field.
bool movesSelection(const QKeyEvent& key) {
    switch (key.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

QString sizeText(std::uint64_t bytes) {
    return QLocale::system().formattedDataSize(static_cast<qint64>(bytes));
}

} // namespace

HistoryWindow::HistoryWindow(LogFolders folders, HistoryWindowSeams seams, QWidget* parent)
    : QWidget(parent), folders_(std::move(folders)), seams_(std::move(seams)),
      model_(new HistoryListModel(this)),
      search_(new HistorySearch(folders_, seams_.searchPace, this)),
      neighbours_(new EntryNeighbours(folders_, this)), searchField(new QLineEdit(this)),
      dateFilter(new QComboBox(this)), sinceDate(new QDateEdit(this)),
      untilDate(new QDateEdit(this)), entryList(new QTreeView(this)), nextEntry(new QLabel(this)),
      preview(new QPlainTextEdit(this)), previewNote(new QLabel(this)),
      previousEntry(new QLabel(this)), statusLine(new QLabel(this)) {
    setWindowTitle(QString::fromLatin1(kCaption));
    resize(900, 620);
    searchField->setObjectName(QStringLiteral("searchField"));
    searchField->setPlaceholderText(QStringLiteral("Type words to find (every word, any case)"));
    searchField->setClearButtonEnabled(true);
    dateFilter->setObjectName(QStringLiteral("dateFilter"));
    dateFilter->addItems({QStringLiteral("Any time"), QStringLiteral("Today"),
                          QStringLiteral("Yesterday"), QStringLiteral("Last 7 days"),
                          QStringLiteral("Last 30 days"), QStringLiteral("From … to …")});
    const QDate today = seams_.today();
    for (QDateEdit* edit : {sinceDate, untilDate}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setDate(today);
        edit->setVisible(false);
    }
    sinceDate->setObjectName(QStringLiteral("sinceDate"));
    untilDate->setObjectName(QStringLiteral("untilDate"));

    entryList->setObjectName(QStringLiteral("entryList"));
    entryList->setModel(model_);
    entryList->setRootIsDecorated(false);
    entryList->setUniformRowHeights(true);
    entryList->setAllColumnsShowFocus(true);
    entryList->setSelectionMode(QAbstractItemView::SingleSelection);
    entryList->header()->setStretchLastSection(true);
    entryList->setColumnWidth(HistoryListModel::TimeColumn, 160);
    entryList->setColumnWidth(HistoryListModel::KindColumn, 70);

    nextEntry->setObjectName(QStringLiteral("nextEntry"));
    previousEntry->setObjectName(QStringLiteral("previousEntry"));
    previewNote->setObjectName(QStringLiteral("previewNote"));
    statusLine->setObjectName(QStringLiteral("statusLine"));
    preview->setObjectName(QStringLiteral("preview"));
    preview->setReadOnly(true);
    preview->setFocusPolicy(Qt::ClickFocus);
    for (QLabel* label : {nextEntry, previousEntry}) {
        label->setTextFormat(Qt::PlainText);
        label->setEnabled(false);
    }

    auto* filters = new QHBoxLayout;
    filters->addWidget(searchField, 1);
    filters->addWidget(dateFilter);
    filters->addWidget(sinceDate);
    filters->addWidget(untilDate);
    auto* previewPane = new QWidget(this);
    auto* previewLayout = new QVBoxLayout(previewPane);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->addWidget(nextEntry);
    previewLayout->addWidget(preview, 1);
    previewLayout->addWidget(previewNote);
    previewLayout->addWidget(previousEntry);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(entryList);
    splitter->addWidget(previewPane);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(splitter, 1);
    layout->addWidget(statusLine);

    searchField->installEventFilter(this);
    entryList->installEventFilter(this);
    connect(searchField, &QLineEdit::textChanged, this, &HistoryWindow::restartSearch);
    connect(dateFilter, &QComboBox::currentIndexChanged, this, [this](int choice) {
        sinceDate->setVisible(choice == DateRange);
        untilDate->setVisible(choice == DateRange);
        restartSearch();
    });
    connect(sinceDate, &QDateEdit::dateChanged, this, &HistoryWindow::restartSearch);
    connect(untilDate, &QDateEdit::dateChanged, this, &HistoryWindow::restartSearch);
    connect(entryList, &QTreeView::doubleClicked, this, &HistoryWindow::copySelected);
    connect(entryList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &HistoryWindow::showPreview);
    connect(search_, &HistorySearch::rowsFound, this, &HistoryWindow::addRows);
    connect(search_, &HistorySearch::finished, this, &HistoryWindow::searchFinished);
    connect(neighbours_, &EntryNeighbours::found, this,
            [this](const QString& before, const QString& after) {
                previousEntry->setText(QStringLiteral("Before: ") +
                                       (before.isEmpty() ? QStringLiteral("(none)") : before));
                nextEntry->setText(QStringLiteral("After: ") +
                                   (after.isEmpty() ? QStringLiteral("(none)") : after));
            });
    model_->setFetcher([this] { search_->fetchMore(); });
    // WORKAROUND: the view's own fetchMore asks while it is not laid out yet, which would read
    // every page at once; we ask when the list nears the end of what it has.
    connect(entryList->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &HistoryWindow::askForMoreNearEnd);

    searchField->setFocus();
    restartSearch();
}

HistoryWindow::~HistoryWindow() {
    // The scans read the folders and post to this window: end them first.
    search_->stop();
    neighbours_->stop();
}

HistoryQuery HistoryWindow::query() const {
    HistoryQuery query;
    for (const QString& word : searchField->text().split(QRegularExpression(QStringLiteral("\\s+")),
                                                         Qt::SkipEmptyParts)) {
        query.words.push_back(word.toStdString());
    }
    const QDate today = seams_.today();
    const auto range = [&query](const QDate& since, const QDate& until) {
        query.since = dayNumber(std::min(since, until));
        query.until = dayNumber(std::max(since, until));
    };
    switch (dateFilter->currentIndex()) {
    case Today:
        range(today, today);
        break;
    case Yesterday:
        range(today.addDays(-1), today.addDays(-1));
        break;
    case Last7Days:
        range(today.addDays(-6), today);
        break;
    case Last30Days:
        range(today.addDays(-29), today);
        break;
    case DateRange:
        range(sinceDate->date(), untilDate->date());
        break;
    default:
        break;
    }
    return query;
}

void HistoryWindow::restartSearch() {
    copyWhenFound_ = false;
    neighbours_->stop();
    model_->clear();
    model_->setMoreAvailable(true);
    statusLine->setText(QStringLiteral("Searching…"));
    search_->start(query());
}

void HistoryWindow::addRows(const std::vector<HistoryRow>& rows) {
    const bool first = model_->rowCount() == 0;
    model_->append(rows);
    if (first) {
        const int row = std::min(selectAfterSearch_, model_->rowCount() - 1);
        selectAfterSearch_ = 0;
        entryList->setCurrentIndex(model_->index(row, 0));
        emit listed();
        if (std::exchange(copyWhenFound_, false)) {
            copySelected();
            return;
        }
    }
    statusLine->setText(QStringLiteral("%1 entries so far…").arg(model_->rowCount()));
    // The list lays out new rows later: until then its scroll bar measures the rows before
    // them, and a page still short of the view's end would look like its end.
    entryList->doItemsLayout();
    askForMoreNearEnd();
}

void HistoryWindow::askForMoreNearEnd() {
    // A page is far taller than the list, so a list that does not scroll is not laid out yet.
    const QScrollBar* bar = entryList->verticalScrollBar();
    if (bar->maximum() > 0 && bar->value() >= bar->maximum() - 2 * bar->pageStep()) {
        model_->askForMore();
    }
}

void HistoryWindow::searchFinished(const QStringList& problems) {
    copyWhenFound_ = false;
    model_->setMoreAvailable(false);
    QString text = model_->rowCount() == 0 ? QStringLiteral("No entry matches.")
                                           : QStringLiteral("%1 entries").arg(model_->rowCount());
    if (!problems.isEmpty()) {
        text += QStringLiteral(" (") + problems.join(QStringLiteral("; ")) + QLatin1Char(')');
    }
    statusLine->setText(text);
    if (model_->rowCount() == 0) {
        showPreview();
    }
}

int HistoryWindow::selectedIndex() const {
    const QModelIndex current = entryList->currentIndex();
    return current.isValid() ? current.row() : -1;
}

const HistoryRow* HistoryWindow::selectedRow() const {
    return model_->at(selectedIndex());
}

void HistoryWindow::showPreview() {
    preview->clear();
    previewNote->clear();
    previousEntry->clear();
    nextEntry->clear();
    const HistoryRow* row = selectedRow();
    if (row == nullptr) {
        return;
    }
    std::unique_ptr<FoundEntry> found;
    if (findEntry(folders_, row->id, found) != FindStatus::Found) {
        previewNote->setText(QStringLiteral("This entry is no longer in its log."));
        return;
    }
    const Entry& entry = found->entry;
    std::string text(
        static_cast<std::size_t>(std::min<std::uint64_t>(entry.length(), kPreviewBytes)), '\0');
    std::size_t got = 0;
    if (!found->reader().readBytes(entry.place.textStart, text.data(), text.size(), got)) {
        previewNote->setText(QStringLiteral("The entry's log file could not be read."));
        return;
    }
    text.resize(got);
    preview->setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    if (entry.length() > got) {
        previewNote->setText(QStringLiteral("Showing the first %1 of %2 (%3 bytes).")
                                 .arg(sizeText(got), sizeText(entry.length()))
                                 .arg(entry.length()));
    }
    neighbours_->lookUp(*row);
}

void HistoryWindow::copySelected() {
    const HistoryRow* row = selectedRow();
    if (row == nullptr) {
        // Enter typed right after the words: copy the first entry they find, once it comes.
        copyWhenFound_ = search_->running();
        return;
    }
    std::unique_ptr<FoundEntry> found;
    std::string whole;
    if (findEntry(folders_, row->id, found) != FindStatus::Found) {
        tell(QStringLiteral("This entry is no longer in its log: the file was changed or "
                            "removed. The list is read again."));
        restartSearch();
        return;
    }
    if (!readWholeText(found->entry, found->reader(), [&whole](std::string_view piece) {
            whole += piece;
            return true;
        })) {
        tell(QStringLiteral("The entry's log file could not be read."));
        return;
    }
    if (!seams_.clipboard.writeText(
            QString::fromUtf8(whole.data(), static_cast<qsizetype>(whole.size())))) {
        tell(QStringLiteral("The clipboard could not be set. Try again."));
        return;
    }
    emit copied();
    close();
}

void HistoryWindow::deleteSelected() {
    const int index = selectedIndex();
    const HistoryRow* row = model_->at(index);
    if (row == nullptr) {
        return;
    }
    const QString question = QStringLiteral("Delete this entry from its log file?\n\n%1 %2\n%3")
                                 .arg(stampText(row->stamp), kindText(row->kind), row->firstLine);
    if (!seams_.confirm(question)) {
        return;
    }
    // No scan may hold the file while it is rewritten.
    search_->stop();
    neighbours_->stop();
    switch (deleteEntry(folders_, row->id)) {
    case DeleteStatus::Deleted:
        break;
    case DeleteStatus::BadId:
    case DeleteStatus::NotFound:
        tell(QStringLiteral("This entry is no longer in its log: the file was changed or "
                            "removed. Nothing was deleted. The list is read again."));
        break;
    case DeleteStatus::Failed:
        tell(QStringLiteral("The entry could not be deleted: its log file could not be locked "
                            "or rewritten. The file is as it was."));
        break;
    }
    selectAfterSearch_ = index;
    restartSearch();
}

void HistoryWindow::tell(const QString& text) {
    seams_.messages.show(text.toStdString(), MessageIcon::Exclamation, kCaption);
}

bool HistoryWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (isEnter(*key)) {
        copySelected();
        return true;
    }
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
        // In the search field Delete edits the text, unless there is nothing after the cursor.
        if (watched == entryList || (searchField->cursorPosition() == searchField->text().size() &&
                                     !searchField->hasSelectedText())) {
            deleteSelected();
            return true;
        }
    }
    if (watched == searchField && movesSelection(*key)) {
        QCoreApplication::sendEvent(entryList, event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void HistoryWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace ziq::history
