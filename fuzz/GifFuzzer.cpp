// GIF load and first-frame draw on arbitrary bytes, as a reduced image is
// made: onto a white picture no larger than a reduced copy.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "gif/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/GIFMemoryStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    TGIFMemoryStream stream(std::span<const uint8_t>(data, size));
    TGIFImage image;
    try {
        image.LoadFromStream(stream);
        const int w = std::clamp(image.GetWidth() / 8, 1, 64);
        const int h = std::clamp(image.GetHeight() / 8, 1, 64);
        Bitmap target(w, h, kWhite);
        image.Draw(target, Rect{0, 0, w, h});
    } catch (const GIFException&) {
        // Refusing bad data is the expected outcome.
    }
    return 0;
}
