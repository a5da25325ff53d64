#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace ziq {

class Program;
class DriveList;
class DirectoryList;

// The folder picker of the options window. It hands the chosen folder back through the
// program's browse state.
class FileBrowserWindow final : public QWidget {
    Q_OBJECT
public:
    // First shown over `owner` while that is visible, else in the middle of the screen.
    explicit FileBrowserWindow(Program& program, QWidget* owner = nullptr,
                               QWidget* parent = nullptr);
    ~FileBrowserWindow() override;

    // Shows the browser in front of its owner, starting at `folder`. A folder or volume that
    // cannot be shown leaves the lists as they are.
    void browseFrom(const QString& folder);
    // False when the folder (or its volume) cannot be shown; the lists then keep what they
    // show.
    bool setDrive(const std::string& folder);
    bool setDirectory(const std::string& folder);

signals:
    // Closed while the program runs: the window that waited for it may go on.
    void closed();

public:
    DriveList* Drive1 = nullptr;
    DirectoryList* Dir1 = nullptr;
    QPushButton* Command1 = nullptr; // Cancel
    QPushButton* Command2 = nullptr; // Ok
    QPlainTextEdit* Text1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void driveChanged();
    void directoryChanged();
    void textChanged();
    void fallBack();
    void commit();
    void cancel();

    Program& program_;
    QPointer<QWidget> owner_;
    bool fallingBack_ = false;
    bool placed_ = false;
};

} // namespace ziq
