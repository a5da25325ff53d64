#pragma once

#include <QSystemTrayIcon>
#include <cstdint>

namespace ziq {

// The tray handler works on mouse message codes; Qt's activation reasons are translated to
// the code of the mouse event they stand for.
inline constexpr std::int32_t kMouseMove = 512;
inline constexpr std::int32_t kLeftButtonUp = 514;
inline constexpr std::int32_t kLeftButtonDoubleClick = 515;
inline constexpr std::int32_t kRightButtonUp = 517;
inline constexpr std::int32_t kMiddleButtonUp = 520;

std::int32_t trayMessageFor(QSystemTrayIcon::ActivationReason reason);

} // namespace ziq
