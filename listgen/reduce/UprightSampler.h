// Nearest-pixel sampling (the centre rule) of a picture that arrives as
// stored rows, turned upright by its EXIF orientation on the way: the
// destination pixel (x, y) takes the upright pixel at its centre, which the
// orientation places in the stored picture. Without a turn across the
// diagonal a destination row comes from one stored row; with one, a
// destination column does. Each destination line is filled while its
// stored row is at hand, so a decoder reads only the rows asked for, once
// and in order, and the stored picture is never held whole.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/Bitmap.h"

namespace htmlimglist {

class UprightSampler {
public:
    // A stored storedWidth x storedHeight picture to width x height (the
    // upright size), pixels of bytesPerPixel bytes in the rows given.
    void Start(int64_t storedWidth, int64_t storedHeight, int width, int height, int orientation,
               int bytesPerPixel);

    // The next stored row the sampling uses (rows come in increasing order,
    // each once); -1 when every destination pixel is made.
    int64_t NextRow() const { return next_ < rowOfLine_.size() ? rowOfLine_[next_].first : -1; }

    // Takes stored row NextRow(): convert(const uint8_t* pixel, uint8_t* rgb)
    // writes each destination pixel from its stored pixel.
    template <class Convert>
    void Take(const uint8_t* row, Convert&& convert);

    Bitmap& Result() { return result_; }

private:
    bool swapped_ = false;
    int along_ = 0;                                   // pixels on a destination line
    std::vector<std::pair<int64_t, int>> rowOfLine_;  // (stored row, destination line), by stored row
    std::vector<std::size_t> byteAt_;                 // stored pixel's first byte, along a line
    std::size_t next_ = 0;
    Bitmap result_;
};

template <class Convert>
void UprightSampler::Take(const uint8_t* row, Convert&& convert) {
    const int64_t stored = NextRow();
    const std::size_t step = swapped_ ? 3 * std::size_t(result_.Width()) : 3;  // next pixel along a line
    for (; next_ < rowOfLine_.size() && rowOfLine_[next_].first == stored; ++next_) {
        const int line = rowOfLine_[next_].second;
        uint8_t* dest = swapped_ ? result_.Row(0) + 3 * std::size_t(line) : result_.Row(line);
        for (int j = 0; j < along_; ++j, dest += step) convert(row + byteAt_[std::size_t(j)], dest);
    }
}

}  // namespace htmlimglist
