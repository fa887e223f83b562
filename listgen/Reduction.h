// What every decoder of reduced copies shares: how a copy is made from its
// source, what a decode reports, and the reduction of a picture that
// arrives as stored rows, to the copy's upright size.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "listgen/AreaAverage.h"
#include "listgen/Orientation.h"
#include "listgen/UprightSampler.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

struct DecodeReport {
    int sourceWidth = 0;
    int sourceHeight = 0;
    int warnings = 0;      // corrupt-data warnings; the picture is still used
    bool aborted = false;  // the cancel flag stopped the decode
    std::string error;     // why a decode failed
};

// How a reduced picture is made from its source.
struct Reduction {
    // EXIF orientation of the source (1 to 8); the requested width x height
    // is the size of the picture turned upright.
    int orientation = 1;
    // Area average instead of nearest pixel at each destination pixel's
    // centre, when reducing in both directions (enlarging stays nearest).
    bool smooth = false;
    // When set, the decode stops soon after the flag turns true and fails
    // with report.aborted.
    const std::atomic<bool>* cancel = nullptr;
};

// The copy's size in the stored orientation, and whether it is made by
// averaging: only with Reduction::smooth and no enlarging in either
// direction (enlarging stays with the nearest pixel).
struct StoredCopy {
    int width;
    int height;
    bool averaged;
};
StoredCopy StoredCopyOf(int64_t storedWidth, int64_t storedHeight, int width, int height, const Reduction& how);

// Reduces a stored picture that arrives row by row, top to bottom: nearest
// pixel of the upright picture (UprightSampler, which asks only for the rows
// it uses), or, with Reduction::smooth and a reduction in both directions,
// the exact area average in the stored orientation (every row), turned
// upright at the end.
class RowReducer {
public:
    // False when the sizes cannot be made (width or height below 1).
    bool Start(int64_t storedWidth, int64_t storedHeight, int width, int height, const Reduction& how,
               int bytesPerPixel);

    // The next stored row wanted; -1 when the picture is complete.
    int64_t NextRow() const { return averaging_ ? (averager_.Done() ? -1 : nextAveraged_) : sampler_.NextRow(); }

    // Takes stored row NextRow(); convert(const uint8_t* pixel, uint8_t* rgb)
    // gives each pixel's colour.
    template <class Convert>
    void Take(const uint8_t* row, Convert&& convert);

    // The reduced, upright picture, once NextRow() is -1.
    Bitmap Finish();

private:
    bool averaging_ = false;
    int orientation_ = 1;
    int64_t storedWidth_ = 0;
    int64_t nextAveraged_ = 0;
    int bytesPerPixel_ = 3;
    UprightSampler sampler_;
    AreaAverager averager_;
    std::vector<uint8_t> rgb_;  // one stored row as RGB, for the averager
};

template <class Convert>
void RowReducer::Take(const uint8_t* row, Convert&& convert) {
    if (!averaging_) {
        sampler_.Take(row, convert);
        return;
    }
    for (int64_t x = 0; x < storedWidth_; ++x) convert(row + x * bytesPerPixel_, rgb_.data() + 3 * x);
    averager_.AddRow(rgb_.data());
    ++nextAveraged_;
}

}  // namespace htmlimglist
