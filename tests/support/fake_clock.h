#pragma once

#include "platform/system/clock.h"

namespace ziq::test {

// Stands still at `time` until a test moves it.
class FakeClock final : public Clock {
public:
    LocalDateTime now() const override { return time; }
    LocalDateTime time{2004, 1, 25, 9, 30, 5};
};

} // namespace ziq::test
