#pragma once

#include <ctime>

namespace ziq {

// The local calendar time of `time`; one file per system (local_time_win.cpp,
// local_time_posix.cpp), as the thread-safe conversion has a name of its own on each.
std::tm localTime(std::time_t time);

} // namespace ziq
