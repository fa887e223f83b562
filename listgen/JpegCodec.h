// JPEG decoding straight to a reduced size, and encoding of reduced images,
// on libjpeg-turbo.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "listgen/Reduction.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

// Where the JPEG data come from: a file, read as a stream so a large source
// is never held whole, or bytes in memory.
struct JpegInput {
    std::string path;         // used when bytes is empty
    std::string_view bytes;
};

// Sources above this many pixels are refused before decoding starts.
inline constexpr int64_t kMaxJpegSourcePixels = int64_t(1) << 30;
// Progressive sources with more scans than this are stopped.
inline constexpr int kMaxJpegScans = 1000;
// Working memory libjpeg may take for one decode (progressive sources keep
// all their coefficients).
inline constexpr long kMaxJpegDecoderMemory = 512L * 1024 * 1024;

// Decodes the source at full scale (block smoothing on, RGB; CMYK and YCCK
// converted) and samples it to width x height by nearest pixel at each
// destination pixel's centre, of the source turned upright by
// how.orientation. Only the source rows that sampling uses are fully
// decoded; the others are skipped. With how.smooth (and a reduction) each
// destination pixel is instead the area average of the picture under it,
// taken from a decode at the smallest DCT scale that is still at least twice
// the size asked for; rows are averaged as they are decoded. False when the
// source cannot be read or decoded; out is then unspecified.
bool DecodeJpegScaled(const JpegInput& input, int width, int height, Bitmap& out,
                      DecodeReport* report = nullptr, const Reduction& how = {});

// The whole source at full size, for comparisons and tools.
bool DecodeJpegFull(const JpegInput& input, Bitmap& out, DecodeReport* report = nullptr);

// One CMYK or YCCK sample (as libjpeg gives it) to RGB, rounded to nearest.
// Adobe's files store the inks inverted (inverted true); others plainly.
void CmykPixelToRgb(const uint8_t* cmyk, bool inverted, uint8_t* rgb);

// Baseline JFIF from the bitmap: RGB input, three components, libjpeg's
// defaults with the given quality and baseline tables forced. A comment,
// when given, goes into one COM segment right after the JFIF APP0 segment;
// the rest of the file is the same as without it.
bool EncodeJpeg(const Bitmap& picture, int quality, std::string& out, std::string_view comment = {});

}  // namespace htmlimglist
