// The start of a GIF stream: signature, logical screen descriptor and global
// colour table (GIF89a sections 17-19).
#pragma once

#include "gif/GIFColorMap.h"
#include "gif/GIFItem.h"

namespace htmlimglist {

class TGIFHeader final : public TGIFItem {
public:
    explicit TGIFHeader(TGIFImage* image) : TGIFItem(image), colorMap_(*this) {}

    const TScreenDescriptor& ScreenDescriptor() const { return screen_; }
    int Width() const { return screen_.Width; }
    int Height() const { return screen_.Height; }
    uint8_t BackgroundColorIndex() const { return screen_.BackgroundColorIndex; }
    TGIFGlobalColorMap& ColorMap() { return colorMap_; }
    const TGIFGlobalColorMap& ColorMap() const { return colorMap_; }

    // Clears the table and zeroes the descriptor.
    void Clear();
    // Sets the table bits of the packed flags from the table as it is.
    void RecomputePackedFields();
    // Reads signature, screen descriptor and global table. The signature is
    // also accepted after a 4-byte prefix, in any letter case; the version is
    // not checked.
    void LoadFromStream(TGIFStream& stream) override;

private:
    TScreenDescriptor screen_{};
    TGIFGlobalColorMap colorMap_;
};

}  // namespace htmlimglist
