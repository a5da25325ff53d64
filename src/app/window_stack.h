#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <vector>

namespace ziq {

// Follows which of the program's windows was last shown or activated, the one that sits on
// top of the others, so it can be brought forward when a later copy of the program starts.
class WindowStack final : public QObject {
    Q_OBJECT
public:
    explicit WindowStack(QObject* parent = nullptr);
    ~WindowStack() override;

    // The visible window on top: an open modal box first, else the window last shown or
    // activated. Null when no window is visible.
    QWidget* top() const;
    // Restores the top window if it is minimised and brings it to the front. False when no
    // window is visible.
    bool bringTopForward();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QPointer<QWidget>> recent_; // most recent first
};

} // namespace ziq
