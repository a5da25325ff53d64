#pragma once

#include <QDialog>
#include <array>
#include <string_view>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ziq {

class Program;

inline constexpr std::string_view kAboutAuthor = "the ZIQ2 developers";
inline constexpr std::string_view kAboutWebPage = "https://ziq2.example.org/";

// Who made the program, its version and description, the way to the system information tool
// and to the program's web page. Not modal; built afresh at every opening.
class AboutWindow final : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(Program& program, QWidget* parent = nullptr);
    ~AboutWindow() override;
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    // Starts the system information tool, or tells the user there is none.
    void StartSysInfo();

signals:
    // Ended by OK, Esc or the close box.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void load();
    void text1Click();

    Program& program_;
    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    std::array<QFrame*, 2> Line1{};
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    QLineEdit* Text1 = nullptr;
};

} // namespace ziq
