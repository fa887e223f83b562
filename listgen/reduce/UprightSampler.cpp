#include "listgen/reduce/UprightSampler.h"

#include <algorithm>

#include "listgen/reduce/Orientation.h"

namespace htmlimglist {

void UprightSampler::Start(int64_t storedWidth, int64_t storedHeight, int width, int height, int orientation,
                           int bytesPerPixel) {
    orientation = SaneOrientation(orientation);
    swapped_ = SwapsSides(orientation);
    const int64_t uprightWidth = swapped_ ? storedHeight : storedWidth;
    const int64_t uprightHeight = swapped_ ? storedWidth : storedHeight;
    const int lines = swapped_ ? width : height;
    along_ = swapped_ ? height : width;
    rowOfLine_.resize(std::size_t(lines));
    byteAt_.resize(std::size_t(along_));
    for (int i = 0; i < lines; ++i) {
        const int64_t ux = swapped_ ? StretchSourceIndex(i, width, uprightWidth) : 0;
        const int64_t uy = swapped_ ? 0 : StretchSourceIndex(i, height, uprightHeight);
        rowOfLine_[std::size_t(i)] = {StoredPlace(orientation, ux, uy, uprightWidth, uprightHeight).y, i};
    }
    for (int j = 0; j < along_; ++j) {
        const int64_t ux = swapped_ ? 0 : StretchSourceIndex(j, width, uprightWidth);
        const int64_t uy = swapped_ ? StretchSourceIndex(j, height, uprightHeight) : 0;
        byteAt_[std::size_t(j)] =
            std::size_t(StoredPlace(orientation, ux, uy, uprightWidth, uprightHeight).x) * std::size_t(bytesPerPixel);
    }
    std::stable_sort(rowOfLine_.begin(), rowOfLine_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    next_ = 0;
    result_ = Bitmap(width, height);
}

}  // namespace htmlimglist
