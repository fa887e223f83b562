#include "listgen/reduce/RowReducer.h"

namespace htmlimglist {

StoredCopy StoredCopyOf(int64_t storedWidth, int64_t storedHeight, const ReduceTarget& target) {
    // Averaging happens in the stored orientation, where the sides of a
    // turned picture are swapped.
    const bool swapped = SwapsSides(SaneOrientation(target.orientation));
    StoredCopy copy{swapped ? target.height : target.width, swapped ? target.width : target.height, false};
    copy.averaged = target.smooth && copy.width <= storedWidth && copy.height <= storedHeight;
    return copy;
}

bool RowReducer::Start(int64_t storedWidth, int64_t storedHeight, const ReduceTarget& target, int bytesPerPixel) {
    if (target.width < 1 || target.height < 1 || storedWidth < 1 || storedHeight < 1) return false;
    orientation_ = SaneOrientation(target.orientation);
    storedWidth_ = storedWidth;
    bytesPerPixel_ = bytesPerPixel;
    nextAveraged_ = 0;
    const StoredCopy copy = StoredCopyOf(storedWidth, storedHeight, target);
    averaging_ = copy.averaged;
    if (averaging_) {
        rgb_.resize(std::size_t(3 * storedWidth));
        return averager_.Start(storedWidth, storedHeight, copy.width, copy.height);
    }
    sampler_.Start(storedWidth, storedHeight, target.width, target.height, orientation_, bytesPerPixel);
    return true;
}

Bitmap RowReducer::Finish() {
    if (!averaging_) return std::move(sampler_.Result());
    return orientation_ == kOrientationAsStored ? std::move(averager_.Result())
                                                : TurnUpright(averager_.Result(), orientation_);
}

void CmykPixelToRgb(const uint8_t* p, bool inverted, uint8_t* rgb) {
    int c = p[0], m = p[1], y = p[2], k = p[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    rgb[0] = uint8_t((c * k + 127) / 255);
    rgb[1] = uint8_t((m * k + 127) / 255);
    rgb[2] = uint8_t((y * k + 127) / 255);
}

int DctScaleNumerator(int64_t width, int64_t height, int copyWidth, int copyHeight) {
    constexpr int kDenominator = 8;
    for (int n = 1; n < kDenominator; ++n) {
        const int64_t scaledWidth = (width * n + kDenominator - 1) / kDenominator;
        const int64_t scaledHeight = (height * n + kDenominator - 1) / kDenominator;
        if (scaledWidth >= 2 * int64_t(copyWidth) && scaledHeight >= 2 * int64_t(copyHeight)) return n;
    }
    return kDenominator;
}

}  // namespace htmlimglist
