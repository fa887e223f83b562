// The raster bitmap that images are drawn onto: 24-bit RGB pixels, plus a
// one-bit mask type for drawing with holes. It stands where a desktop system
// has its device-independent bitmaps and blits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace htmlimglist {

// A rectangle in pixel coordinates; right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return left >= right || top >= bottom; }
    bool operator==(const Rect&) const = default;
};

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

// Nearest-pixel stretching samples the source at the centre of each
// destination pixel: destination index d of destLength maps to source index
// ((2d + 1) * srcLength) div (2 * destLength). Both lengths must be positive.
inline int StretchSourceIndex(int64_t d, int64_t destLength, int64_t srcLength) {
    return static_cast<int>(((2 * d + 1) * srcLength) / (2 * destLength));
}

// One bit per pixel, most significant bit first, rows padded to 16 bits (the
// layout of a monochrome device bitmap). A set bit marks a hole.
class MonoBitmap {
public:
    MonoBitmap() = default;
    MonoBitmap(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    std::size_t RowBytes() const { return rowBytes_; }
    bool Get(int x, int y) const {
        return (bits_[static_cast<std::size_t>(y) * rowBytes_ + (x >> 3)] >> (7 - (x & 7))) & 1;
    }
    void Set(int x, int y) {
        bits_[static_cast<std::size_t>(y) * rowBytes_ + (x >> 3)] |=
            static_cast<uint8_t>(0x80 >> (x & 7));
    }
    // True when at least one bit is set.
    bool Any() const;

private:
    int width_ = 0;
    int height_ = 0;
    std::size_t rowBytes_ = 0;
    std::vector<uint8_t> bits_;
};

class Bitmap {
public:
    Bitmap() = default;
    // A bitmap of the given size filled with fill; negative sizes count as 0.
    Bitmap(int width, int height, Rgb fill = kWhite);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }

    // New size; the picture in the area both sizes share stays where it was
    // (top-left), everything else becomes white.
    void Resize(int width, int height);
    void Clear(Rgb colour);
    // Fills the part of rect that lies on the bitmap.
    void FillRect(const Rect& rect, Rgb colour);

    Rgb Pixel(int x, int y) const {
        const uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
        return Rgb{p[0], p[1], p[2]};
    }
    void SetPixel(int x, int y, Rgb c) {
        uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
    // Row y as width * 3 bytes in the order red, green, blue.
    uint8_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * Stride(); }
    const uint8_t* Row(int y) const {
        return pixels_.data() + static_cast<std::size_t>(y) * Stride();
    }

    // Stretches the whole of src onto dest with nearest-pixel centre sampling.
    // Only pixels that lie on this bitmap are written; an empty dest or an
    // empty src draws nothing.
    void StretchDraw(const Rect& dest, const Bitmap& src);
    // The same, but destination pixels whose source pixel has its mask bit set
    // keep their colour. mask must have src's size.
    void StretchDrawMasked(const Rect& dest, const Bitmap& src, const MonoBitmap& mask);
    // Stretches the area srcRect of src onto dest. Source pixels outside src
    // read as white.
    void StretchCopy(const Rect& dest, const Bitmap& src, const Rect& srcRect);

    // Stretches a source of srcWidth x srcHeight that is not a Bitmap onto
    // dest with the same sampling and clipping: sample(sx, sy, pixel) is
    // called for every destination pixel on this bitmap and writes its three
    // bytes, or leaves them to keep the destination.
    template <class Sample>
    void StretchFrom(const Rect& dest, int srcWidth, int srcHeight, Sample&& sample);

private:
    std::size_t Stride() const { return 3 * static_cast<std::size_t>(width_); }
    void Stretch(const Rect& dest, const Bitmap& src, const Rect& srcRect, const MonoBitmap* mask);

    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> pixels_;
};

template <class Sample>
void Bitmap::StretchFrom(const Rect& dest, int srcWidth, int srcHeight, Sample&& sample) {
    if (dest.IsEmpty() || srcWidth <= 0 || srcHeight <= 0) return;
    int x0 = dest.left > 0 ? dest.left : 0, x1 = dest.right < width_ ? dest.right : width_;
    int y0 = dest.top > 0 ? dest.top : 0, y1 = dest.bottom < height_ ? dest.bottom : height_;
    if (x0 >= x1 || y0 >= y1) return;
    std::vector<int> columns(static_cast<std::size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x)
        columns[static_cast<std::size_t>(x - x0)] = StretchSourceIndex(x - dest.left, dest.Width(), srcWidth);
    for (int y = y0; y < y1; ++y) {
        int sy = StretchSourceIndex(y - dest.top, dest.Height(), srcHeight);
        uint8_t* out = Row(y) + 3 * static_cast<std::size_t>(x0);
        for (int sx : columns) {
            sample(sx, sy, out);
            out += 3;
        }
    }
}

}  // namespace htmlimglist
