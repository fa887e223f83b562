#include "listgen/reduce/Orientation.h"

#include <cstring>

namespace htmlimglist {

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
