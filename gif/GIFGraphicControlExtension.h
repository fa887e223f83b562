// Graphic control extension (label 0xF9, GIF89a section 23): transparency,
// delay and disposal of the frame that follows.
#pragma once

#include "gif/GIFExtension.h"

namespace htmlimglist {

class TGIFGraphicControlExtension final : public TGIFExtension {
public:
    static const TGIFExtensionClass Class;

    // The first one made for a frame becomes the frame's graphic control link.
    explicit TGIFGraphicControlExtension(TGIFSubImage& frame);
    ~TGIFGraphicControlExtension() override;

    uint8_t GetExtensionType() const override { return 0xF9; }
    void LoadFromStream(TGIFStream& stream) override;

    const TGIFGCERec& Record() const { return gce_; }
    bool GetTransparent() const { return gce_.PackedFields & 0x01; }
    bool GetUserInput() const { return gce_.PackedFields & 0x02; }
    // Values 0-3 are dmNone, dmNoDisposal, dmBackground, dmPrevious; 4-7 have
    // no meaning but are kept.
    int GetDisposal() const { return (gce_.PackedFields >> 2) & 7; }
    int GetDelay() const { return gce_.DelayTime; }
    uint8_t GetTransparentColorIndex() const { return gce_.TransparentColorIndex; }
    // The colour of the transparent index in the frame's active colour table.
    TGIFColor GetTransparentColor() const;
    // Also sets the frame's Transparent flag to the same value.
    void SetTransparent(bool transparent);
    void SetTransparentColorIndex(uint8_t index) { gce_.TransparentColorIndex = index; }

private:
    TGIFGCERec gce_{4, 0, 0, 0, 0};
};

}  // namespace htmlimglist
