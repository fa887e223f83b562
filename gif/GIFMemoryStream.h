// A read-only stream over bytes in memory. The bytes are not copied: they
// must outlive the stream.
#pragma once

#include <span>

#include "gif/GIFStream.h"

namespace htmlimglist {

class TGIFMemoryStream final : public TGIFStream {
public:
    explicit TGIFMemoryStream(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Position() const override { return position_; }
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }

private:
    std::span<const uint8_t> bytes_;
    int64_t position_ = 0;
};

}  // namespace htmlimglist
