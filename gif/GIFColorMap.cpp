#include "gif/GIFColorMap.h"

#include "gif/GIFException.h"
#include "gif/GIFHeader.h"
#include "gif/GIFImage.h"
#include "gif/GIFStreamReading.h"
#include "gif/GIFSubImage.h"

namespace htmlimglist {

void TGIFColorMap::Clear() {
    std::vector<TGIFColor>().swap(colors_);
    optimized_ = false;
}

void TGIFColorMap::LoadFromStream(TGIFStream& stream, int count) {
    Clear();
    std::vector<TGIFColor> colors(static_cast<std::size_t>(count));
    gifread::ReadExact(stream, colors.data(), colors.size() * sizeof(TGIFColor));
    colors_ = std::move(colors);
}

TGIFColor TGIFColorMap::GetColor(int index) const {
    if (index < 0 || index >= Count()) {
        Warning(TGIFSeverity::gsWarning, gifmsg::kBadColorIndex);
        if (colors_.empty()) GIFError(gifmsg::kEmptyColorTable);
        index = 0;
    }
    return colors_[static_cast<std::size_t>(index)];
}

int TGIFColorMap::GetBitsPerPixel() const {
    if (colors_.empty()) return 0;
    int bits = 1;
    while ((1 << bits) < Count()) ++bits;
    return bits;
}

TGIFPaletteRef TGIFColorMap::ExportPalette() const {
    if (colors_.empty()) return nullptr;
    return std::make_shared<const TGIFPalette>(colors_);
}

void TGIFGlobalColorMap::Warning(TGIFSeverity severity, const std::string& message) const {
    if (TGIFImage* image = header_->Image()) image->Warning(this, severity, message);
}

void TGIFLocalColorMap::Warning(TGIFSeverity severity, const std::string& message) const {
    if (TGIFImage* image = frame_->Image()) image->Warning(this, severity, message);
}

}  // namespace htmlimglist
