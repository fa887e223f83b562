// The trailer byte 0x3B that ends a GIF stream (GIF89a section 27). It is
// checked while reading and not kept.
#pragma once

#include "gif/GIFItem.h"

namespace htmlimglist {

class TGIFTrailer final : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    // Warns "Invalid Image trailer" when the byte is there but is not 0x3B;
    // a stream that has already ended is accepted.
    void LoadFromStream(TGIFStream& stream) override;
};

}  // namespace htmlimglist
