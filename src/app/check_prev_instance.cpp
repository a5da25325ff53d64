#include "app/check_prev_instance.h"

#include "platform/system/instance_channel.h"
#include "settings/program.h"

namespace ziq {

InstanceVerdict CheckPrevInstance(Program& program) {
    const std::string title = program.appTitle;
    // From here on a search by the old title no longer finds this copy, and this copy's
    // messages carry the new caption. It is never set back.
    program.appTitle = "unwanted instance";
    if (!program.instance.bringForward(title)) {
        return InstanceVerdict::KeepRunning;
    }
    program.showMessage(
        "This instance of ZIQ will terminate because another running instance was detected.",
        MessageIcon::Information);
    return InstanceVerdict::EndThisCopy;
}

} // namespace ziq
