#include "platform/system/local_time.h"

namespace ziq {

std::tm localTime(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

} // namespace ziq
