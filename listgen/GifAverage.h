// The area-averaged reduction of a GIF's first frame, for smooth reduced
// copies.
#pragma once

#include <atomic>

#include "platform/Bitmap.h"

namespace htmlimglist {

class TGIFImage;

// The first frame of gif drawn at the logical screen's size onto white (at
// its offset, transparent pixels white, as TGIFImage::Draw with the default
// draw options puts it there), area-averaged to width x height. The picture
// is worked out row by row from the frame's colour indices; nothing of the
// screen's size is made. Needs 1 <= width <= the screen's width and
// 1 <= height <= its height; false otherwise, or when cancel turned true.
// Raises GIFException where drawing would (no colour table at all).
bool AverageGifFirstFrame(TGIFImage& gif, int width, int height, Bitmap& out,
                          const std::atomic<bool>* cancel = nullptr);

}  // namespace htmlimglist
