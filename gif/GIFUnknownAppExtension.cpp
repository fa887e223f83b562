#include "gif/GIFUnknownAppExtension.h"

#include "gif/GIFStreamReading.h"

namespace htmlimglist {

namespace {
std::unique_ptr<TGIFExtension> Create(TGIFSubImage& frame) {
    return std::make_unique<TGIFUnknownAppExtension>(frame);
}
}  // namespace

const TGIFExtensionClass TGIFUnknownAppExtension::Class{
    "TGIFUnknownAppExtension", 0xFF, &Create, &TGIFApplicationExtension::FindSubExtension};

void TGIFUnknownAppExtension::LoadData(TGIFStream& stream) {
    blocks_.clear();
    uint8_t size = 0;
    while (gifread::ReadByte(stream, size) && size != 0) {
        auto block = std::make_unique<TGIFBlock>(size);
        gifread::ReadExact(stream, block->Data(), size);
        blocks_.push_back(std::move(block));
    }
}

}  // namespace htmlimglist
