#pragma once

#include <QWidget>

namespace ziq {

class Program;

class ToTextWindow final : public QWidget {
    Q_OBJECT
public:
    explicit ToTextWindow(Program& program, QWidget* parent = nullptr);
    ~ToTextWindow() override;

private:
    Program& program_;
};

} // namespace ziq
