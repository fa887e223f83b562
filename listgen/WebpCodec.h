// WebP decoding straight to a reduced size, on libwebp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "listgen/Reduction.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

// Pictures (the canvas of an animation) above this many pixels are refused
// from their header, before any pixel memory is taken: the decode holds the
// whole picture as RGBA, and libwebp holds a lossless one once more.
inline constexpr int64_t kMaxWebpSourcePixels = int64_t(1) << 26;

// Decodes the WebP at path (its first frame when animated) and reduces it to width x height (the upright
// size) as how says. False when it cannot be read or decoded.
bool DecodeWebpReduced(const std::string& path, int width, int height, Bitmap& out, DecodeReport* report = nullptr,
                      const Reduction& how = {});

// The same from the bytes of a file, with the pixel limit to apply (the
// fuzzer lowers it to keep its runs short).
bool DecodeWebpBytesReduced(std::string_view bytes, int width, int height, Bitmap& out,
                            DecodeReport* report = nullptr, const Reduction& how = {},
                            int64_t maxPixels = kMaxWebpSourcePixels);

}  // namespace htmlimglist
