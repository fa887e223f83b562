#include "support/BoxReference.h"

#include <algorithm>
#include <cstdint>

namespace htmlimglist::test {

namespace {
// Length of [a0, a1) ∩ [b0, b1).
int64_t Overlap(int64_t a0, int64_t a1, int64_t b0, int64_t b1) {
    return std::max<int64_t>(0, std::min(a1, b1) - std::max(a0, b0));
}
}  // namespace

Bitmap BoxAverageReference(const Bitmap& source, int width, int height) {
    // Everything is scaled by width horizontally and by height vertically,
    // so every box edge falls on a whole number.
    const int64_t sw = source.Width(), sh = source.Height();
    const uint64_t area = uint64_t(sw) * uint64_t(sh);
    Bitmap out(width, height);
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            uint64_t sum[3] = {};
            for (int64_t y = j * sh / height; y < sh && y * height < (j + 1) * sh; ++y) {
                const int64_t wy = Overlap(y * height, (y + 1) * height, j * sh, (j + 1) * sh);
                for (int64_t x = i * sw / width; x < sw && x * width < (i + 1) * sw; ++x) {
                    const int64_t wx = Overlap(x * width, (x + 1) * width, i * sw, (i + 1) * sw);
                    const uint8_t* p = source.Row(int(y)) + 3 * x;
                    for (int k = 0; k < 3; ++k) sum[k] += uint64_t(p[k]) * uint64_t(wx * wy);
                }
            }
            out.SetPixel(i, j, Rgb{uint8_t((sum[0] + area / 2) / area), uint8_t((sum[1] + area / 2) / area),
                                   uint8_t((sum[2] + area / 2) / area)});
        }
    }
    return out;
}

}  // namespace htmlimglist::test
