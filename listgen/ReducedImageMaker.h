// Makes the reduced copies of the images of a reduced list.
#pragma once

#include <cstdint>
#include <string>

namespace htmlimglist {

enum class ImageKind : int { Jpeg = 1, Gif = 2, Png = 3, Webp = 4 };

// Everything that decides a reduced copy's pixels.
struct ReducedImageRequest {
    ImageKind kind = ImageKind::Jpeg;
    std::string sourcePath;
    int32_t width = 0;   // the copy's size, upright
    int32_t height = 0;
    int orientation = 1;  // how the source is turned upright (EXIF, 1 to 8)
    bool smooth = false;  // area average instead of nearest pixel when reducing
    std::string record{};  // what the copy records of its making (its COM text); none when empty

    bool operator==(const ReducedImageRequest&) const = default;
};

// What became of one requested copy.
enum class CopyOutcome {
    Written,     // the copy was written
    NotMade,     // the source could not be decoded: no copy, silently
    SaveFailed,  // the copy could not be written; the save message was shown
    Aborted,     // the abort command stopped it while it was being made
};

class ReducedImageMaker {
public:
    virtual ~ReducedImageMaker() = default;

    // Makes the reduced copy the request describes and writes it as a JPEG
    // file at destPath; shows it as the preview. Called at the image's cell,
    // in page order.
    virtual CopyOutcome MakeReducedImage(const ReducedImageRequest& request, const std::string& destPath) = 0;

    // Makers that work ahead of the page: the writer announces, in page
    // order, the copies it is going to ask for while WantsMore() is true; each
    // announced copy is then asked for by MakeReducedImage in the same order,
    // unless the page ends first and DiscardAhead() drops what is left.
    virtual bool WantsMore() const { return false; }
    virtual void Prefetch(const ReducedImageRequest& /*request*/) {}
    virtual void DiscardAhead() {}
};

}  // namespace htmlimglist
