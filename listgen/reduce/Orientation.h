// The eight EXIF orientations (TIFF tag 0x0112): how the stored pixels are
// turned to show the picture upright. This is the only place that knows the
// eight cases; decoders ask it where an upright pixel lies in the stored
// picture and never turn a stored picture themselves.
//
//   1 as stored            5 mirrored along the main diagonal (transposed)
//   2 mirrored left-right  6 turned a quarter clockwise to view
//   3 turned half a turn   7 mirrored along the other diagonal
//   4 mirrored top-bottom  8 turned a quarter anticlockwise to view
#pragma once

#include <cstdint>

#include "platform/Bitmap.h"

namespace htmlimglist {

inline constexpr int kOrientationAsStored = 1;

// Values 1 to 8 mean something; anything else counts as 1.
inline int SaneOrientation(int orientation) {
    return orientation >= 1 && orientation <= 8 ? orientation : kOrientationAsStored;
}

// Orientations 5 to 8 exchange width and height.
inline bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

struct PixelPlace {
    int64_t x;
    int64_t y;
};

// The stored pixel shown at (x, y) of the upright picture, whose size is
// uprightWidth x uprightHeight. The stored x depends only on one of x and y,
// and so does the stored y, which lets a decoder map whole rows or columns.
inline PixelPlace StoredPlace(int orientation, int64_t x, int64_t y, int64_t uprightWidth, int64_t uprightHeight) {
    const int64_t rx = uprightWidth - 1 - x, ry = uprightHeight - 1 - y;
    switch (SaneOrientation(orientation)) {
        case 2: return {rx, y};
        case 3: return {rx, ry};
        case 4: return {x, ry};
        case 5: return {y, x};
        case 6: return {y, rx};
        case 7: return {ry, rx};
        case 8: return {ry, x};
        default: return {x, y};
    }
}

// The one orientation that does what turning by first, then turning the
// result by then, does: a picture that carries its own turn (a video's
// display matrix) and is turned again by the caller's.
int ComposeOrientations(int first, int then);

// The stored picture turned upright. Meant for reduced pictures only: a
// full-size source is never turned as a whole.
Bitmap TurnUpright(const Bitmap& stored, int orientation);

}  // namespace htmlimglist
