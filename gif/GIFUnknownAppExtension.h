// An application extension nobody registered a class for, kept as its raw
// data sub-blocks.
#pragma once

#include <memory>
#include <vector>

#include "gif/GIFApplicationExtension.h"

namespace htmlimglist {

// One raw data sub-block: 1 to 255 bytes.
class TGIFBlock {
public:
    explicit TGIFBlock(uint8_t size) : data_(size) {}
    int Size() const { return static_cast<int>(data_.size()); }
    uint8_t* Data() { return data_.data(); }
    const uint8_t* Data() const { return data_.data(); }

private:
    std::vector<uint8_t> data_;
};

class TGIFUnknownAppExtension final : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass Class;

    using TGIFApplicationExtension::TGIFApplicationExtension;
    void LoadData(TGIFStream& stream) override;

    const std::vector<std::unique_ptr<TGIFBlock>>& Blocks() const { return blocks_; }

private:
    std::vector<std::unique_ptr<TGIFBlock>> blocks_;
};

}  // namespace htmlimglist
