#include "gif/GIFTextExtension.h"

#include "gif/GIFStreamReading.h"

namespace htmlimglist {

namespace {
std::unique_ptr<TGIFExtension> Create(TGIFSubImage& frame) {
    return std::make_unique<TGIFTextExtension>(frame);
}
}  // namespace

const TGIFExtensionClass TGIFTextExtension::Class{"TGIFTextExtension", 0x01, &Create,
                                                  &TGIFExtension::FindSubExtension};

void TGIFTextExtension::LoadFromStream(TGIFStream& stream) {
    TGIFExtension::LoadFromStream(stream);
    gifread::ReadExact(stream, &record_, sizeof record_);
    text_ = gifread::ReadSubBlockStrings(stream);
}

}  // namespace htmlimglist
