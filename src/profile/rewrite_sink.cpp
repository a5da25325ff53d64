#include "profile/rewrite_sink.h"

namespace ziq::profile {

bool RewriteSink::onBytes(std::string_view bytes) {
    if (bytes.empty()) {
        return true;
    }
    if (!out_.writeAt(written_, bytes)) {
        return false;
    }
    written_ += bytes.size();
    return true;
}

} // namespace ziq::profile
