// GIF load and first-frame draw on arbitrary bytes, as a reduced image is
// made: the first frame alone loaded, drawn onto a white picture no larger
// than a reduced copy. Then a load of every frame, which must fail where the
// first-frame load failed and count the same frames (but for the size limit
// of later frames, which only it applies), and the last frame's pixels,
// which wait undecoded until asked for: read twice, as a damaged frame must
// raise its error again, and as a bitmap when small.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "gif/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/GIFMemoryStream.h"

namespace {

using namespace htmlimglist;

// Loads data with frames; the error text, empty when none.
std::string Load(TGIFImage& image, std::span<const uint8_t> data, TGIFFrameLoad frames) {
    TGIFMemoryStream stream(data);
    try {
        image.LoadFromStream(stream, frames);
    } catch (const GIFException& e) {
        return e.what();
    }
    return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    TGIFImage first;
    const std::string firstError = Load(first, bytes, TGIFFrameLoad::flFirstFrame);
    if (firstError.empty()) {
        try {
            const int w = std::clamp(first.GetWidth() / 8, 1, 64);
            const int h = std::clamp(first.GetHeight() / 8, 1, 64);
            Bitmap target(w, h, kWhite);
            first.Draw(target, Rect{0, 0, w, h});
        } catch (const GIFException&) {
            // Refusing bad data is the expected outcome.
        }
    }

    TGIFImage image;
    const std::string error = Load(image, bytes, TGIFFrameLoad::flAllFrames);
    if (error != gifmsg::kBadDimensions &&
        (error != firstError || first.FrameCount() != image.Images().Count() || first.Images().Count() > 1))
        std::abort();
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
