// WebP decoding straight to a reduced size, on libwebp.
#pragma once

#include <string>

#include "listgen/Reduction.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

// Decodes the WebP at path (its first frame when animated) and reduces it to width x height (the upright
// size) as how says. False when it cannot be read or decoded.
bool DecodeWebpReduced(const std::string& path, int width, int height, Bitmap& out, DecodeReport* report = nullptr,
                      const Reduction& how = {});

}  // namespace htmlimglist
