#include "listgen/reduce/AreaAverage.h"

#include <algorithm>

namespace htmlimglist {

namespace {
// Row sums stay below 255 · sourceWidth and must fit 32 bits.
constexpr int64_t kMaxSourceSide = int64_t(1) << 24;
}  // namespace

bool AreaAverager::Start(int64_t sourceWidth, int64_t sourceHeight, int width, int height) {
    if (width < 1 || height < 1 || width > sourceWidth || height > sourceHeight || sourceWidth > kMaxSourceSide ||
        sourceHeight > kMaxSourceSide) {
        sourceHeight_ = 0;
        return false;
    }
    sourceWidth_ = sourceWidth;
    sourceHeight_ = sourceHeight;
    width_ = width;
    height_ = height;
    // Source column x spans [x·D, (x+1)·D) in 1/D units and destination
    // column i spans [i·S, (i+1)·S); as D <= S a source column meets at most
    // two destination columns.
    firstColumn_.resize(std::size_t(sourceWidth));
    firstWeight_.resize(std::size_t(sourceWidth));
    for (int64_t x = 0; x < sourceWidth; ++x) {
        const int64_t lo = x * width, hi = lo + width;
        const int64_t column = lo / sourceWidth;
        const int64_t boundary = (column + 1) * sourceWidth;
        firstColumn_[std::size_t(x)] = int32_t(3 * column);
        firstWeight_[std::size_t(x)] = uint32_t(std::min(hi, boundary) - lo);
    }
    // One spare pixel at the end takes the (zero) spill of the last column.
    rowSums_.assign(3 * (std::size_t(width) + 1), 0);
    boxSums_.assign(3 * std::size_t(width), 0);
    sourceRow_ = 0;
    destRow_ = 0;
    result_ = Bitmap(width, height);
    return true;
}

void AreaAverager::AddRow(const uint8_t* rgb, int64_t count) {
    if (count <= 0 || sourceRow_ >= sourceHeight_) return;
    std::fill(rowSums_.begin(), rowSums_.end(), 0u);
    const uint32_t whole = uint32_t(width_);
    uint32_t* sums = rowSums_.data();
    for (int64_t x = 0; x < sourceWidth_; ++x, rgb += 3) {
        uint32_t* at = sums + firstColumn_[std::size_t(x)];
        const uint32_t first = firstWeight_[std::size_t(x)], rest = whole - first;
        at[0] += rgb[0] * first;
        at[1] += rgb[1] * first;
        at[2] += rgb[2] * first;
        at[3] += rgb[0] * rest;
        at[4] += rgb[1] * rest;
        at[5] += rgb[2] * rest;
    }
    // Source row y spans [y·Dy, (y+1)·Dy) in 1/Dy units; destination row j
    // spans [j·Sy, (j+1)·Sy).
    const int64_t unit = height_;
    for (; count > 0 && sourceRow_ < sourceHeight_; --count, ++sourceRow_) {
        const int64_t lo = sourceRow_ * unit, hi = lo + unit;
        const int64_t boundary = int64_t(destRow_ + 1) * sourceHeight_;
        if (hi <= boundary) {
            AddSums(uint64_t(unit));
            if (hi == boundary) EmitRow();
        } else {
            AddSums(uint64_t(boundary - lo));
            EmitRow();
            AddSums(uint64_t(hi - boundary));
        }
    }
}

void AreaAverager::AddSums(uint64_t weight) {
    const std::size_t n = boxSums_.size();
    for (std::size_t k = 0; k < n; ++k) boxSums_[k] += uint64_t(rowSums_[k]) * weight;
}

void AreaAverager::EmitRow() {
    // Every box covers sourceWidth · sourceHeight units of weight.
    const uint64_t area = uint64_t(sourceWidth_) * uint64_t(sourceHeight_);
    uint8_t* out = result_.Row(destRow_);
    for (std::size_t k = 0; k < boxSums_.size(); ++k) {
        out[k] = uint8_t((boxSums_[k] + area / 2) / area);
        boxSums_[k] = 0;
    }
    ++destRow_;
}

}  // namespace htmlimglist
