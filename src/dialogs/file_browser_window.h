#pragma once

#include <QWidget>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace ziq {

class Program;
class DriveList;
class DirectoryList;

// The folder picker of the options window. It hands the chosen folder back through the
// program's browse state; its opener prepares it (see OptionsWindow).
class FileBrowserWindow final : public QWidget {
    Q_OBJECT
public:
    explicit FileBrowserWindow(Program& program, QWidget* parent = nullptr);
    ~FileBrowserWindow() override;

    // Used by the opener. False when the folder (or its volume) cannot be shown; the lists
    // then keep what they show.
    bool setDrive(const std::string& folder);
    bool setDirectory(const std::string& folder);

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
    bool fallingBack_ = false;
    bool placed_ = false;
};

} // namespace ziq
