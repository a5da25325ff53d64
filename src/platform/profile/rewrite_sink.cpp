#include "platform/profile/rewrite_sink.h"

#include <algorithm>

namespace ziq::profile {

RewriteSink::RewriteSink(io::File& out, ProfileIndex* index, std::uint64_t contentStart)
    : out_(out), index_(index), contentStart_(contentStart), scanner_(contentStart) {
    if (index_ != nullptr) {
        *index_ = ProfileIndex{};
        index_->contentStart = contentStart;
        builder_.emplace(*index_, IndexBuilder::Mode::Bulk);
    }
}

bool RewriteSink::onBytes(std::string_view bytes) {
    if (bytes.empty()) {
        return true;
    }
    if (!out_.writeAt(written_, bytes)) {
        return false;
    }
    if (builder_) {
        const std::uint64_t skip =
            contentStart_ > written_
                ? std::min<std::uint64_t>(contentStart_ - written_, bytes.size())
                : 0;
        scanner_.feed(bytes.substr(static_cast<std::size_t>(skip)), *builder_);
    }
    written_ += bytes.size();
    return true;
}

void RewriteSink::finish() {
    if (builder_) {
        scanner_.finish(*builder_);
        builder_->finish();
        index_->size = written_;
    }
}

} // namespace ziq::profile
