#pragma once

#include <QWidget>

namespace ziq {

class Program;

class OptionsWindow final : public QWidget {
    Q_OBJECT
public:
    explicit OptionsWindow(Program& program, QWidget* parent = nullptr);
    ~OptionsWindow() override;

private:
    Program& program_;
};

} // namespace ziq
