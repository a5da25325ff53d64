#pragma once

namespace ziq::test {

// How the profile files end the lines they create on this system.
#ifdef _WIN32
inline constexpr const char* kEol = "\r\n";
#else
inline constexpr const char* kEol = "\n";
#endif

} // namespace ziq::test
