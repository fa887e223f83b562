// GIF load and first-frame draw on arbitrary bytes, as a reduced image is
// made: onto a white picture no larger than a reduced copy. Then the last
// frame's pixels, which wait undecoded until asked for: read twice, as a
// damaged frame must raise its error again, and as a bitmap when small.
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
    // Also after a failed load: the frames read before the fault stay.
    const int count = image.Images().Count();
    if (count < 2) return 0;
    TGIFSubImage& last = image.Images().SubImage(count - 1);
    for (int ask = 0; ask < 2; ++ask) {
        try {
            if (last.Width() > 0 && last.Height() > 0) last.PixelIndex(last.Width() - 1, last.Height() - 1);
            if (int64_t{last.Width()} * last.Height() <= (1 << 20)) last.GetBitmap();
        } catch (const GIFException&) {
        }
    }
    return 0;
}
