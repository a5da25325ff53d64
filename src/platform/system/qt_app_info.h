#pragma once

#include "platform/system/app_info.h"

#include <QStringList>

namespace ziq {

// Built from the running application: its folder and the arguments after its name.
AppInfo appInfoFromApplication(const QStringList& arguments);

} // namespace ziq
