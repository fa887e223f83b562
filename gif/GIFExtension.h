// Base of the extension blocks (GIF89a sections 23-26) and the registry that
// maps an extension label to the class that reads it.
#pragma once

#include <cstdint>
#include <memory>

#include "gif/GIFItem.h"

namespace htmlimglist {

class TGIFExtension;
class TGIFSubImage;

// What the reader needs of an extension class: its label, how to make one
// for a frame, and how to pick a more specific class from the bytes that
// follow the label (the class-level FindSubExtension).
struct TGIFExtensionClass {
    const char* Name;
    uint8_t Label;
    std::unique_ptr<TGIFExtension> (*Create)(TGIFSubImage& frame);
    // Answers self, another class to ask next, or none. May read on from
    // the stream's position; the caller restores the position afterwards.
    const TGIFExtensionClass* (*FindSubExtension)(const TGIFExtensionClass& self,
                                                  TGIFStream& stream);
};

class TGIFExtension : public TGIFItem {
public:
    explicit TGIFExtension(TGIFSubImage& frame);

    TGIFSubImage& SubImage() const { return *subImage_; }
    TGIFVersion GetVersion() const override { return TGIFVersion::gv89a; }
    // The label byte of this kind of extension.
    virtual uint8_t GetExtensionType() const = 0;
    // Reads introducer and label and checks them; the overrides read on.
    void LoadFromStream(TGIFStream& stream) override;

    // The class for the extension whose introducer has just been read, or
    // none. The stream position is unchanged on return.
    static const TGIFExtensionClass* FindExtension(TGIFStream& stream);
    // Answers self without reading.
    static const TGIFExtensionClass* FindSubExtension(const TGIFExtensionClass& self,
                                                      TGIFStream& stream);
    // Adds a class for label; it overrides earlier registrations of label.
    static void RegisterExtension(uint8_t label, const TGIFExtensionClass* extensionClass);

private:
    TGIFSubImage* subImage_;
};

}  // namespace htmlimglist
