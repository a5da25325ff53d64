#pragma once

#include <QWidget>

namespace ziq {

class Program;

class FileBrowserWindow final : public QWidget {
    Q_OBJECT
public:
    explicit FileBrowserWindow(Program& program, QWidget* parent = nullptr);
    ~FileBrowserWindow() override;

private:
    Program& program_;
};

} // namespace ziq
