#include "listgen/Reduction.h"

namespace htmlimglist {

bool RowReducer::Start(int64_t storedWidth, int64_t storedHeight, int width, int height, const Reduction& how,
                       int bytesPerPixel) {
    if (width < 1 || height < 1 || storedWidth < 1 || storedHeight < 1) return false;
    orientation_ = SaneOrientation(how.orientation);
    storedWidth_ = storedWidth;
    bytesPerPixel_ = bytesPerPixel;
    nextAveraged_ = 0;
    // Averaging happens in the stored orientation; enlarging in either
    // direction stays with the nearest pixel.
    const bool swapped = SwapsSides(orientation_);
    const int storedCopyWidth = swapped ? height : width, storedCopyHeight = swapped ? width : height;
    averaging_ = how.smooth && storedCopyWidth <= storedWidth && storedCopyHeight <= storedHeight;
    if (averaging_) {
        rgb_.resize(std::size_t(3 * storedWidth));
        return averager_.Start(storedWidth, storedHeight, storedCopyWidth, storedCopyHeight);
    }
    sampler_.Start(storedWidth, storedHeight, width, height, orientation_, bytesPerPixel);
    return true;
}

Bitmap RowReducer::Finish() {
    if (!averaging_) return std::move(sampler_.Result());
    return orientation_ == kOrientationAsStored ? std::move(averager_.Result())
                                                : TurnUpright(averager_.Result(), orientation_);
}

}  // namespace htmlimglist
