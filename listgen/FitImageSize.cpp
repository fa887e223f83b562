#include "listgen/FitImageSize.h"

#include <algorithm>
#include <limits>

namespace htmlimglist {
namespace {

int32_t AtLeastOne(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, 1, std::numeric_limits<int32_t>::max()));
}

}  // namespace

FittedSize FitImageSize(int32_t width, int32_t height, int32_t maxSize, Zoom zoom) {
    const int64_t w = width, h = height, limit = maxSize;
    const bool enlarge = zoom == Zoom::EnlargeSmaller;
    FittedSize fit;
    if (h < w) {  // landscape
        if (w > limit || enlarge) {
            int64_t ratio = h * 10000 / w;
            fit.width = AtLeastOne(limit);
            fit.height = AtLeastOne(limit * ratio / 10000);
            fit.unscaled = false;
            return fit;
        }
    } else if (h > limit || enlarge) {  // portrait or square
        // An empty 0 x 0 image has no shape to keep: it fits to 1 x 1.
        int64_t ratio = h == 0 ? 0 : w * 10000 / h;
        fit.height = h == 0 ? 1 : AtLeastOne(limit);
        fit.width = AtLeastOne(limit * ratio / 10000);
        fit.unscaled = false;
        return fit;
    }
    fit.width = AtLeastOne(w);
    fit.height = AtLeastOne(h);
    return fit;
}

}  // namespace htmlimglist
