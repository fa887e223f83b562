#include "gif/GIFMemoryStream.h"

#include <algorithm>
#include <cstring>

namespace htmlimglist {

std::size_t TGIFMemoryStream::Read(void* buffer, std::size_t count) {
    std::size_t left = bytes_.size() - static_cast<std::size_t>(position_);
    std::size_t n = std::min(count, left);
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += static_cast<int64_t>(n);
    return n;
}

int64_t TGIFMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == TSeekOrigin::Beginning ? 0
                   : origin == TSeekOrigin::Current ? position_
                                                    : Size();
    position_ = std::clamp<int64_t>(base + offset, 0, Size());
    return position_;
}

std::shared_ptr<TGIFStream> TGIFMemoryStream::Reopen() {
    std::shared_ptr<const std::vector<uint8_t>> bytes = owner_;
    if (!bytes) bytes = std::make_shared<const std::vector<uint8_t>>(bytes_.begin(), bytes_.end());
    return std::make_shared<TGIFMemoryStream>(std::move(bytes));
}

}  // namespace htmlimglist
