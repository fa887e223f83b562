// Makes the reduced copy of one image for the reduced list.
#pragma once

#include <cstdint>
#include <string>

namespace htmlimglist {

enum class ImageKind : int { Jpeg = 1, Gif = 2 };

class ReducedImageMaker {
public:
    virtual ~ReducedImageMaker() = default;
    // Decodes sourcePath, draws it stretched to width x height and writes it
    // as a JPEG file at destPath.
    virtual void MakeReducedImage(ImageKind kind, const std::string& sourcePath, int32_t width,
                                  int32_t height, const std::string& destPath) = 0;
};

// Stand-in that makes nothing: the page is still written with its cells.
class NoReducedImages final : public ReducedImageMaker {
public:
    void MakeReducedImage(ImageKind, const std::string&, int32_t, int32_t, const std::string&) override {}
};

}  // namespace htmlimglist
