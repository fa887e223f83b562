// Base of every part of a GIF stream that the reader turns into an object.
#pragma once

#include <string>

#include "gif/GIFStream.h"
#include "gif/GIFTypes.h"

namespace htmlimglist {

class TGIFImage;

class TGIFItem : public TPersistent {
public:
    explicit TGIFItem(TGIFImage* image) : image_(image) {}
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    // The image this item belongs to (none for a free-standing item).
    TGIFImage* Image() const { return image_; }

    virtual TGIFVersion GetVersion() const { return TGIFVersion::gv87a; }
    // Passes a warning to the owning image with this item as its sender.
    virtual void Warning(TGIFSeverity severity, const std::string& message) const;
    virtual void LoadFromStream(TGIFStream& stream) = 0;
    void LoadFromFile(const std::string& path);

private:
    TGIFImage* image_;
};

}  // namespace htmlimglist
