// Makes the reduced copies of the images of a reduced list.
#pragma once

#include <cstdint>
#include <string>

namespace htmlimglist {

enum class ImageKind : int { Jpeg = 1, Gif = 2 };

class ReducedImageMaker {
public:
    virtual ~ReducedImageMaker() = default;

    // Makes the reduced copy of sourcePath at width x height and writes it as
    // a JPEG file at destPath; shows it as the preview. Called at the image's
    // cell, in page order.
    virtual void MakeReducedImage(ImageKind kind, const std::string& sourcePath, int32_t width, int32_t height,
                                  const std::string& destPath) = 0;

    // Makers that work ahead of the page: the writer announces, in page
    // order, the copies it is going to ask for while WantsMore() is true; each
    // announced copy is then asked for by MakeReducedImage in the same order,
    // unless the page ends first and DiscardAhead() drops what is left.
    virtual bool WantsMore() const { return false; }
    virtual void Prefetch(ImageKind /*kind*/, const std::string& /*sourcePath*/, int32_t /*width*/,
                          int32_t /*height*/) {}
    virtual void DiscardAhead() {}
};

}  // namespace htmlimglist
