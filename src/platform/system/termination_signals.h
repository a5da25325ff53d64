#pragma once

#include <QObject>
#include <functional>

namespace ziq {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the GUI thread, so ending the program from
// outside runs the same orderly shutdown as the tray's Exit.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void()> onTerminate, QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    std::function<void()> onTerminate_;
};

} // namespace ziq
