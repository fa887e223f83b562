// PNG decoding straight to a reduced size, on libpng.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "listgen/Reduction.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

// Sources above this many pixels are refused before decoding starts.
inline constexpr int64_t kMaxPngSourcePixels = int64_t(1) << 30;
// An interlaced source is held whole while its passes arrive, so it is
// refused above this many pixels (256 MiB as RGBA).
inline constexpr int64_t kMaxInterlacedPngPixels = int64_t(1) << 26;
// Rows are held a few at a time, inside libpng and here; this width keeps
// them to a few tens of MiB even at 16 bits per channel.
inline constexpr uint32_t kMaxPngWidth = uint32_t(1) << 20;

// Decodes the PNG at path (the default image of an animated one) and
// reduces it to width x height (the upright size) as how says. Transparent
// parts are laid over white; gamma and colour chunks are ignored. False
// when it cannot be read or decoded.
bool DecodePngReduced(const std::string& path, int width, int height, Bitmap& out, DecodeReport* report = nullptr,
                      const Reduction& how = {});
// The same for PNG data in memory.
bool DecodePngBytesReduced(std::string_view bytes, int width, int height, Bitmap& out,
                           DecodeReport* report = nullptr, const Reduction& how = {});

}  // namespace htmlimglist
