#include "gif/GIFGraphicControlExtension.h"

#include "gif/GIFColorMap.h"
#include "gif/GIFStreamReading.h"
#include "gif/GIFSubImage.h"

namespace htmlimglist {

namespace {
std::unique_ptr<TGIFExtension> Create(TGIFSubImage& frame) {
    return std::make_unique<TGIFGraphicControlExtension>(frame);
}
}  // namespace

const TGIFExtensionClass TGIFGraphicControlExtension::Class{
    "TGIFGraphicControlExtension", 0xF9, &Create, &TGIFExtension::FindSubExtension};

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage& frame) : TGIFExtension(frame) {
    if (frame.GraphicControlExtension() == nullptr) frame.SetGraphicControlExtension(this);
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
    TGIFSubImage& frame = SubImage();
    if (GetTransparent()) frame.SetTransparentFlag(false);
    if (frame.GraphicControlExtension() == this) frame.SetGraphicControlExtension(nullptr);
}

void TGIFGraphicControlExtension::LoadFromStream(TGIFStream& stream) {
    TGIFExtension::LoadFromStream(stream);
    // The block is read as it stands: its size byte is not checked and no
    // further sub-blocks are looked for.
    TGIFGCERec rec{};
    std::size_t got = stream.Read(&rec, sizeof rec);
    gce_ = rec;
    if (got < sizeof rec) {
        Warning(TGIFSeverity::gsWarning, gifmsg::kPrematureEnd);  // keep what came
    } else if (GetTransparent()) {
        SubImage().SetTransparentFlag(true);
    }
}

TGIFColor TGIFGraphicControlExtension::GetTransparentColor() const {
    return SubImage().GetActiveColorMap().GetColor(gce_.TransparentColorIndex);
}

void TGIFGraphicControlExtension::SetTransparent(bool transparent) {
    if (transparent)
        gce_.PackedFields |= 0x01;
    else
        gce_.PackedFields &= ~0x01;
    SubImage().SetTransparentFlag(transparent);
}

}  // namespace htmlimglist
