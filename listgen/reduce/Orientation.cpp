#include "listgen/reduce/Orientation.h"

#include <cstring>

namespace htmlimglist {

int ComposeOrientations(int first, int then) {
    first = SaneOrientation(first);
    then = SaneOrientation(then);
    // Tried on a picture whose sides differ: each of the eight places its
    // six pixels differently, so the one that places them all as the two
    // turns do is the composition.
    constexpr int64_t kWidth = 3, kHeight = 2;  // the stored picture
    const int64_t middleWidth = SwapsSides(first) ? kHeight : kWidth;
    const int64_t middleHeight = SwapsSides(first) ? kWidth : kHeight;
    const int64_t width = SwapsSides(then) ? middleHeight : middleWidth;
    const int64_t height = SwapsSides(then) ? middleWidth : middleHeight;
    for (int candidate = 1; candidate <= 8; ++candidate) {
        if (SwapsSides(candidate) != (width != kWidth)) continue;
        bool same = true;
        for (int64_t y = 0; y < height && same; ++y) {
            for (int64_t x = 0; x < width && same; ++x) {
                const PixelPlace middle = StoredPlace(then, x, y, width, height);
                const PixelPlace stored = StoredPlace(first, middle.x, middle.y, middleWidth, middleHeight);
                const PixelPlace direct = StoredPlace(candidate, x, y, width, height);
                same = direct.x == stored.x && direct.y == stored.y;
            }
        }
        if (same) return candidate;
    }
    return kOrientationAsStored;  // not reached: the eight form a group
}

Bitmap TurnUpright(const Bitmap& stored, int orientation) {
    orientation = SaneOrientation(orientation);
    if (orientation == kOrientationAsStored) return stored;
    const int width = SwapsSides(orientation) ? stored.Height() : stored.Width();
    const int height = SwapsSides(orientation) ? stored.Width() : stored.Height();
    Bitmap upright(width, height);
    for (int y = 0; y < height; ++y) {
        uint8_t* out = upright.Row(y);
        for (int x = 0; x < width; ++x, out += 3) {
            const PixelPlace at = StoredPlace(orientation, x, y, width, height);
            std::memcpy(out, stored.Row(int(at.y)) + 3 * at.x, 3);
        }
    }
    return upright;
}

}  // namespace htmlimglist
