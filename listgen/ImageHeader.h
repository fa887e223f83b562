// What a header probe of the image types beyond JPEG and GIF reads.
#pragma once

#include <cstdint>

#include "listgen/ProbeSource.h"

namespace htmlimglist {

struct ImageHeader {
    int32_t width = 0;
    int32_t height = 0;
    bool animated = false;
    int orientation = 1;  // EXIF orientation (1 to 8), 1 without EXIF data
};

// PNG: the signature, then an IHDR chunk first (listgen/PngProbe.cpp).
bool ProbePng(ProbeSource& source, ImageHeader& header);
// WebP: RIFF, size, WEBP, then a VP8, VP8L or VP8X chunk (listgen/WebpProbe.cpp).
bool ProbeWebp(ProbeSource& source, ImageHeader& header);

}  // namespace htmlimglist
