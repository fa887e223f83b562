// Rows in, an upright reduced picture out. A decoder hands the stored rows
// it is asked for, top to bottom; the reducer takes each destination pixel
// either from the nearest stored pixel at its centre (UprightSampler, which
// asks only for the rows it uses) or, with ReduceTarget::smooth and a
// reduction in both directions, as the exact area average in the stored
// orientation (every row), turned upright at the end. Nothing here reads a
// file or knows a format.
#pragma once

#include <cstdint>
#include <vector>

#include "listgen/reduce/AreaAverage.h"
#include "listgen/reduce/Orientation.h"
#include "listgen/reduce/UprightSampler.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

// The reduced picture asked for.
struct ReduceTarget {
    int width = 0;   // its size, upright
    int height = 0;
    // EXIF orientation of the source (1 to 8): how the stored picture is
    // turned to stand upright.
    int orientation = kOrientationAsStored;
    // Area average instead of the nearest pixel at each destination pixel's
    // centre, when reducing in both directions (enlarging stays nearest).
    bool smooth = false;

    bool operator==(const ReduceTarget&) const = default;
};

// The picture's size in the stored orientation, and whether it is made by
// averaging: only with ReduceTarget::smooth and no enlarging in either
// direction.
struct StoredCopy {
    int width;
    int height;
    bool averaged;
};
StoredCopy StoredCopyOf(int64_t storedWidth, int64_t storedHeight, const ReduceTarget& target);

// Rows between looks at a cancel flag, for every decoder that feeds rows.
inline constexpr int kRowsPerCancelCheck = 16;

class RowReducer {
public:
    // False when the sizes cannot be made (a side below 1).
    bool Start(int64_t storedWidth, int64_t storedHeight, const ReduceTarget& target, int bytesPerPixel);

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
    int orientation_ = kOrientationAsStored;
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

// Pixel converters every decoder shares. A pixel of three bytes taken as it
// is, and one of non-premultiplied RGBA laid over white, rounded to nearest.
inline void CopyRgb(const uint8_t* p, uint8_t* rgb) { rgb[0] = p[0], rgb[1] = p[1], rgb[2] = p[2]; }
inline void RgbaOverWhite(const uint8_t* p, uint8_t* rgb) {
    const unsigned a = p[3], white = 255 * (255 - a) + 127;
    for (int k = 0; k < 3; ++k) rgb[k] = uint8_t((p[k] * a + white) / 255);
}

// One CMYK or YCCK sample (as a JPEG decoder gives it) to RGB, rounded to
// nearest. Adobe's files store the inks inverted (inverted true); others
// plainly.
void CmykPixelToRgb(const uint8_t* cmyk, bool inverted, uint8_t* rgb);

// The scale N/8 (N from 1 to 8) at which a block-transform decoder decodes a
// source of width x height for an averaged copy of copyWidth x copyHeight
// (stored orientation): the smallest whose output, ceil(side * N / 8), is
// still at least twice the copy's side both ways, or 8 when none is. The
// picture handed to the average then holds at least two source pixels per
// copy pixel, so what aliasing the scaled transform leaves averages away.
int DctScaleNumerator(int64_t width, int64_t height, int copyWidth, int copyHeight);

}  // namespace htmlimglist
