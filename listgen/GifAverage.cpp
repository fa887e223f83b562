#include "listgen/GifAverage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "gif/GIFImage.h"
#include "listgen/AreaAverage.h"

namespace htmlimglist {

namespace {
// Rows between looks at the cancel flag.
constexpr int kRowsPerCancelCheck = 16;
}  // namespace

bool AverageGifFirstFrame(TGIFImage& gif, int width, int height, Bitmap& out, const std::atomic<bool>* cancel) {
    const int screenWidth = gif.GetWidth(), screenHeight = gif.GetHeight();
    AreaAverager averager;
    if (!averager.Start(screenWidth, screenHeight, width, height)) return false;
    // One screen row, white wherever the frame does not paint.
    std::vector<uint8_t> row(3 * std::size_t(screenWidth), 255);

    int top = 0, bottom = 0, left = 0, right = 0;  // the frame's rows and columns on the screen
    std::array<TGIFColor, 256> colours{};          // indices past the palette are black
    int hole = -1;
    if (!gif.GetEmpty()) {
        // Drawing several frames asks the image for its palette first, which
        // fails when there is no colour table anywhere.
        if (gif.FrameCount() > 1 && (gif.DrawOptions & goAnimate)) gif.GetPalette();
        TGIFSubImage& first = gif.Images().SubImage(0);
        if (!first.GetEmpty()) {
            TGIFPaletteRef palette = first.GetPalette();
            for (std::size_t i = 0; palette && i < palette->size() && i < colours.size(); ++i)
                colours[i] = (*palette)[i];
            if ((gif.DrawOptions & goTransparent) && first.Transparent()) hole = first.TransparentIndex();
            top = std::min(first.Top(), screenHeight);
            bottom = std::min(first.Top() + first.Height(), screenHeight);
            left = std::min(first.Left(), screenWidth);
            right = std::min(first.Left() + first.Width(), screenWidth);
        }
    }
    if (left >= right) top = bottom = 0;

    averager.AddRow(row.data(), top);
    if (top < bottom) {
        TGIFSubImage& first = gif.Images().SubImage(0);
        std::vector<uint8_t> indices(std::size_t(first.Width()));
        for (int y = top; y < bottom; ++y) {
            if (cancel != nullptr && (y - top) % kRowsPerCancelCheck == 0 && cancel->load()) return false;
            first.CopyRow(y - top, indices.data());
            uint8_t* p = row.data() + 3 * std::size_t(left);
            for (int x = left; x < right; ++x, p += 3) {
                const int index = indices[std::size_t(x - left)];
                if (index == hole) {
                    p[0] = p[1] = p[2] = 255;
                } else {
                    p[0] = colours[std::size_t(index)].Red;
                    p[1] = colours[std::size_t(index)].Green;
                    p[2] = colours[std::size_t(index)].Blue;
                }
            }
            averager.AddRow(row.data());
        }
        std::memset(row.data() + 3 * std::size_t(left), 255, 3 * std::size_t(right - left));
    }
    averager.AddRow(row.data(), screenHeight - bottom);
    if (!averager.Done()) return false;
    out = std::move(averager.Result());
    return true;
}

}  // namespace htmlimglist
