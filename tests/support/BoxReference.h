// The exact area average worked out the plain way, pixel by pixel, as the
// yardstick for the streaming averager and the smooth reduction roads.
#pragma once

#include "platform/Bitmap.h"

namespace htmlimglist::test {

// Destination pixel (i, j) of width x height is the mean of the source
// pixels under the box [i·W/width, (i+1)·W/width) x [j·H/height,
// (j+1)·H/height), each weighted by the area of it the box covers, rounded
// to nearest. Reduction only (width <= W, height <= H).
Bitmap BoxAverageReference(const Bitmap& source, int width, int height);

}  // namespace htmlimglist::test
