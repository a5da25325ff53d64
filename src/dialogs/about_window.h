#pragma once

#include <QWidget>

namespace ziq {

class Program;

class AboutWindow final : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindow(Program& program, QWidget* parent = nullptr);
    ~AboutWindow() override;

private:
    Program& program_;
};

} // namespace ziq
