// PNG decoding straight to a reduced size, on libpng.
#pragma once

#include <string>

#include "listgen/Reduction.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

// Decodes the PNG at path and reduces it to width x height (the upright
// size) as how says. False when it cannot be read or decoded.
bool DecodePngReduced(const std::string& path, int width, int height, Bitmap& out, DecodeReport* report = nullptr,
                      const Reduction& how = {});

}  // namespace htmlimglist
