// Comment extension (label 0xFE, GIF89a section 24).
#pragma once

#include <string>
#include <vector>

#include "gif/GIFExtension.h"

namespace htmlimglist {

class TGIFCommentExtension final : public TGIFExtension {
public:
    static const TGIFExtensionClass Class;

    using TGIFExtension::TGIFExtension;
    uint8_t GetExtensionType() const override { return 0xFE; }
    void LoadFromStream(TGIFStream& stream) override;

    // One string per data sub-block.
    const std::vector<std::string>& Text() const { return text_; }

private:
    std::vector<std::string> text_;
};

}  // namespace htmlimglist
