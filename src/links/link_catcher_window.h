#pragma once

#include <QWidget>

namespace ziq {

class Program;

class LinkCatcherWindow final : public QWidget {
    Q_OBJECT
public:
    explicit LinkCatcherWindow(Program& program, QWidget* parent = nullptr);
    ~LinkCatcherWindow() override;

private:
    Program& program_;
};

} // namespace ziq
