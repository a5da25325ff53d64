#include "capture/link_recognition.h"

namespace ziq {

bool looksLikeLink(const QString&, bool) {
    return false;
}

void recognizeLink(Program&) {}

} // namespace ziq
