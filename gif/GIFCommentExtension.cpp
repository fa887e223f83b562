#include "gif/GIFCommentExtension.h"

#include "gif/GIFStreamReading.h"

namespace htmlimglist {

namespace {
std::unique_ptr<TGIFExtension> Create(TGIFSubImage& frame) {
    return std::make_unique<TGIFCommentExtension>(frame);
}
}  // namespace

const TGIFExtensionClass TGIFCommentExtension::Class{"TGIFCommentExtension", 0xFE, &Create,
                                                     &TGIFExtension::FindSubExtension};

void TGIFCommentExtension::LoadFromStream(TGIFStream& stream) {
    TGIFExtension::LoadFromStream(stream);
    text_ = gifread::ReadSubBlockStrings(stream);
}

}  // namespace htmlimglist
