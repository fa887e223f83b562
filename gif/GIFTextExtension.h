// Plain text extension (label 0x01, GIF89a section 25). Its text is kept but
// never drawn.
#pragma once

#include <string>
#include <vector>

#include "gif/GIFExtension.h"

namespace htmlimglist {

class TGIFTextExtension final : public TGIFExtension {
public:
    static const TGIFExtensionClass Class;

    using TGIFExtension::TGIFExtension;
    uint8_t GetExtensionType() const override { return 0x01; }
    void LoadFromStream(TGIFStream& stream) override;

    const TGIFPlainTextExtensionRec& Record() const { return record_; }
    // One string per data sub-block.
    const std::vector<std::string>& Text() const { return text_; }

private:
    TGIFPlainTextExtensionRec record_{12, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<std::string> text_;
};

}  // namespace htmlimglist
