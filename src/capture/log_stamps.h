#pragma once

#include "platform/system/clock.h"

#include <string>

namespace ziq {

// A component as at least two decimal digits ("0" put in front of a single digit).
std::string twoDigits(int value);

// Year, month and day joined, e.g. 20040125.
std::string dateStamp(const LocalDateTime& time);
// Hour (0-23), minute and second joined, e.g. 093005.
std::string timeStamp(const LocalDateTime& time);

} // namespace ziq
