#pragma once

#include "settings/program_state.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace ziq {

class Program;
struct OptionsChoice;

// Shows the settings held in memory and lets the user change and save them. Created when
// first shown and discarded when closed, so every opening starts from the current settings.
class OptionsWindow final : public QWidget {
    Q_OBJECT
public:
    explicit OptionsWindow(Program& program, QWidget* parent = nullptr);
    ~OptionsWindow() override;

    // What the check boxes and option buttons show right now.
    OptionsChoice choice() const;

signals:
    // The user went to choose a log folder; this window waits, disabled, until the browser
    // closes. The browse state says which folder; the browser starts at `startFolder`.
    void folderBrowseRequested(const QString& startFolder);
    void aboutRequested();
    // The window closed by the user: the folder browser goes with it, then the window.
    void closed();

public:
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check4 = nullptr;
    QCheckBox* Check5 = nullptr;
    QCheckBox* Check6 = nullptr;
    QCheckBox* Check7 = nullptr;
    QCheckBox* Check8 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option4 = nullptr;
    QRadioButton* Option5 = nullptr;
    QRadioButton* Option6 = nullptr;
    QRadioButton* Option7 = nullptr;
    QRadioButton* Option8 = nullptr;
    QRadioButton* Option9 = nullptr;
    QRadioButton* Option10 = nullptr;
    QPushButton* Command1 = nullptr; // clipboard log folder
    QPushButton* Command2 = nullptr; // Save Changes
    QPushButton* Command3 = nullptr; // Cancel
    QPushButton* Command4 = nullptr; // About
    QPushButton* Command5 = nullptr; // Help
    QPushButton* Command8 = nullptr; // link log folder

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void fitCaptions();
    void setStartToolTips();
    void setTabOrder();
    void connectHandlers();
    void load();
    void hitAndRunChanged(bool checked);
    void chooseFolder(BrowseTarget target);
    void updateFolderToolTip(QPushButton* button);
    void openHelp();
    void save();

    Program& program_;
};

} // namespace ziq
