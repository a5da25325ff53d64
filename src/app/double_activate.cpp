#include "app/double_activate.h"

namespace ziq {

bool DoubleActivate::activate(std::chrono::milliseconds at, std::chrono::milliseconds interval) {
    if (first_ && at >= *first_ && at - *first_ < interval) {
        first_.reset();
        return true;
    }
    first_ = at;
    return false;
}

} // namespace ziq
