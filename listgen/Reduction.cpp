#include "listgen/Reduction.h"

namespace htmlimglist {

StoredCopy StoredCopyOf(int64_t storedWidth, int64_t storedHeight, int width, int height, const Reduction& how) {
    // Averaging happens in the stored orientation, where the sides of a
    // turned picture are swapped.
    const bool swapped = SwapsSides(SaneOrientation(how.orientation));
    StoredCopy copy{swapped ? height : width, swapped ? width : height, false};
    copy.averaged = how.smooth && copy.width <= storedWidth && copy.height <= storedHeight;
    return copy;
}

bool RowReducer::Start(int64_t storedWidth, int64_t storedHeight, int width, int height, const Reduction& how,
                       int bytesPerPixel) {
    if (width < 1 || height < 1 || storedWidth < 1 || storedHeight < 1) return false;
    orientation_ = SaneOrientation(how.orientation);
    storedWidth_ = storedWidth;
    bytesPerPixel_ = bytesPerPixel;
    nextAveraged_ = 0;
    const StoredCopy copy = StoredCopyOf(storedWidth, storedHeight, width, height, how);
    averaging_ = copy.averaged;
    if (averaging_) {
        rgb_.resize(std::size_t(3 * storedWidth));
        return averager_.Start(storedWidth, storedHeight, copy.width, copy.height);
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
