// A read-only stream over bytes in memory: either borrowed (they must
// outlive the stream) or shared with the stream.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "gif/GIFStream.h"

namespace htmlimglist {

class TGIFMemoryStream final : public TGIFStream {
public:
    // Borrows the bytes: they are not copied.
    explicit TGIFMemoryStream(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    // Keeps the bytes alive for as long as the stream (or a reopened one) lives.
    explicit TGIFMemoryStream(std::shared_ptr<const std::vector<uint8_t>> bytes)
        : bytes_(*bytes), owner_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Position() const override { return position_; }
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
    // Shares the bytes when the stream holds them; borrowed bytes are copied
    // once into a buffer the new stream holds.
    std::shared_ptr<TGIFStream> Reopen() override;

private:
    std::span<const uint8_t> bytes_;
    std::shared_ptr<const std::vector<uint8_t>> owner_;  // none for borrowed bytes
    int64_t position_ = 0;
};

}  // namespace htmlimglist
