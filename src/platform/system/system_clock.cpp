#include "platform/system/clock.h"

#include "platform/system/local_time.h"

#include <ctime>

namespace ziq {

LocalDateTime SystemClock::now() const {
    const std::tm local = localTime(std::time(nullptr));
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

} // namespace ziq
