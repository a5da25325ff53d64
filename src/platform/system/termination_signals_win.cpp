#include "platform/system/termination_signals.h"

namespace ziq {

// Windows ends a program through its windows' messages, which the tray's shutdown already
// answers; there are no signals to catch.
TerminationSignals::TerminationSignals(std::function<void()> onTerminate, QObject* parent)
    : QObject(parent), onTerminate_(std::move(onTerminate)) {}

TerminationSignals::~TerminationSignals() = default;

} // namespace ziq
