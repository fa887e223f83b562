// Exact area (box) averaging of a picture that arrives row by row, for
// reduced copies without moiré. Destination pixel i of D along a side of S
// source pixels covers the source span [i·S/D, (i+1)·S/D); its colour is the
// mean of the source pixels under that box, each weighted by how much of it
// the box covers, rounded to nearest. All arithmetic is in integers (spans
// are measured in 1/D of a source pixel), so the result is exact and the
// same on every machine. Only one destination row of sums is held: the
// source picture is never kept whole.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"

namespace htmlimglist {

class AreaAverager {
public:
    AreaAverager() = default;
    // Starts a new picture: sourceWidth x sourceHeight reduced to
    // width x height. Needs 1 <= width <= sourceWidth and
    // 1 <= height <= sourceHeight (reduction only); false otherwise.
    bool Start(int64_t sourceWidth, int64_t sourceHeight, int width, int height);

    // The next source row, sourceWidth pixels of red, green, blue, taken
    // count times (identical rows, such as a blank margin). Rows past the
    // last one are ignored.
    void AddRow(const uint8_t* rgb, int64_t count = 1);

    // True once every source row has been added.
    bool Done() const { return sourceHeight_ > 0 && sourceRow_ == sourceHeight_; }
    // The reduced picture, complete once Done().
    Bitmap& Result() { return result_; }

private:
    void AddSums(uint64_t weight);
    void EmitRow();

    int64_t sourceWidth_ = 0;
    int64_t sourceHeight_ = 0;
    int width_ = 0;
    int height_ = 0;
    // For each source column: the destination column its span starts in,
    // and the part of the span (in 1/width) that falls there; the rest falls
    // in the next column.
    std::vector<int32_t> firstColumn_;
    std::vector<uint32_t> firstWeight_;
    std::vector<uint32_t> rowSums_;     // one source row summed per destination column (3 per pixel, +1 pixel)
    std::vector<uint64_t> boxSums_;     // the destination row being built
    int64_t sourceRow_ = 0;             // source rows taken so far
    int destRow_ = 0;                   // destination row being built
    Bitmap result_;
};

}  // namespace htmlimglist
