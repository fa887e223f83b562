// The loop extension: an application extension "NETSCAPE2.0" or
// "ANIMEXTS1.0" whose sub-block 1 holds the loop count and sub-block 2 a
// buffer size.
#pragma once

#include "gif/GIFApplicationExtension.h"

namespace htmlimglist {

class TGIFAppExtNSLoop final : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass Class;

    explicit TGIFAppExtNSLoop(TGIFSubImage& frame);
    void LoadData(TGIFStream& stream) override;

    uint16_t Loops() const { return loops_; }
    uint32_t BufferSize() const { return bufferSize_; }

private:
    uint16_t loops_ = 0;
    uint32_t bufferSize_ = 0;
};

}  // namespace htmlimglist
