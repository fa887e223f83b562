#include "platform/Bitmap.h"

#include <algorithm>
#include <cstring>

namespace htmlimglist {

MonoBitmap::MonoBitmap(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      rowBytes_(static_cast<std::size_t>((width_ + 15) >> 4) * 2),
      bits_(rowBytes_ * static_cast<std::size_t>(height_), 0) {}

bool MonoBitmap::Any() const {
    return std::any_of(bits_.begin(), bits_.end(), [](uint8_t b) { return b != 0; });
}

Bitmap::Bitmap(int width, int height, Rgb fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
    pixels_.resize(Stride() * static_cast<std::size_t>(height_));
    Clear(fill);
}

void Bitmap::Resize(int width, int height) {
    Bitmap resized(width, height, kWhite);
    int w = std::min(width_, resized.width_);
    int h = std::min(height_, resized.height_);
    if (w > 0)
        for (int y = 0; y < h; ++y) std::memcpy(resized.Row(y), Row(y), 3 * static_cast<std::size_t>(w));
    *this = std::move(resized);
}

void Bitmap::Clear(Rgb colour) { FillRect(Rect{0, 0, width_, height_}, colour); }

void Bitmap::FillRect(const Rect& rect, Rgb colour) {
    int x0 = std::max(rect.left, 0), x1 = std::min(rect.right, width_);
    int y0 = std::max(rect.top, 0), y1 = std::min(rect.bottom, height_);
    if (x0 >= x1 || y0 >= y1) return;
    for (int y = y0; y < y1; ++y) {
        uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x0);
        for (int x = x0; x < x1; ++x, p += 3) {
            p[0] = colour.r;
            p[1] = colour.g;
            p[2] = colour.b;
        }
    }
}

void Bitmap::StretchDraw(const Rect& dest, const Bitmap& src) {
    Stretch(dest, src, Rect{0, 0, src.width_, src.height_}, nullptr);
}

void Bitmap::StretchDrawMasked(const Rect& dest, const Bitmap& src, const MonoBitmap& mask) {
    if (mask.Width() != src.width_ || mask.Height() != src.height_) return;
    Stretch(dest, src, Rect{0, 0, src.width_, src.height_}, &mask);
}

void Bitmap::StretchCopy(const Rect& dest, const Bitmap& src, const Rect& srcRect) {
    Stretch(dest, src, srcRect, nullptr);
}

void Bitmap::Stretch(const Rect& dest, const Bitmap& src, const Rect& srcRect,
                     const MonoBitmap* mask) {
    if (dest.IsEmpty() || srcRect.IsEmpty()) return;
    if (&src == this) {
        // Reading and writing the same pixels: sample from a snapshot.
        Bitmap copy = src;
        Stretch(dest, copy, srcRect, mask);
        return;
    }
    int x0 = std::max(dest.left, 0), x1 = std::min(dest.right, width_);
    int y0 = std::max(dest.top, 0), y1 = std::min(dest.bottom, height_);
    if (x0 >= x1 || y0 >= y1) return;

    // Source column of every destination column on the bitmap; -1 when it
    // falls outside the source bitmap.
    std::vector<int> columns(static_cast<std::size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x) {
        int sx = srcRect.left + StretchSourceIndex(x - dest.left, dest.Width(), srcRect.Width());
        columns[static_cast<std::size_t>(x - x0)] = (sx >= 0 && sx < src.width_) ? sx : -1;
    }
    for (int y = y0; y < y1; ++y) {
        int sy = srcRect.top + StretchSourceIndex(y - dest.top, dest.Height(), srcRect.Height());
        bool rowInside = sy >= 0 && sy < src.height_;
        const uint8_t* srcRow = rowInside ? src.Row(sy) : nullptr;
        uint8_t* out = Row(y) + 3 * static_cast<std::size_t>(x0);
        for (int x = x0; x < x1; ++x, out += 3) {
            int sx = columns[static_cast<std::size_t>(x - x0)];
            if (!rowInside || sx < 0) {
                if (mask != nullptr) continue;  // no source pixel, no mask bit: keep
                out[0] = out[1] = out[2] = 255;
                continue;
            }
            if (mask != nullptr && mask->Get(sx, sy)) continue;
            const uint8_t* in = srcRow + 3 * static_cast<std::size_t>(sx);
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
}

}  // namespace htmlimglist
