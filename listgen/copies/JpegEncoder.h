// The encoder of reduced copies. Every copy is a baseline JFIF file at
// quality 75, whatever its source's format.
#pragma once

#include <string>
#include <string_view>

#include "platform/Bitmap.h"

namespace htmlimglist {

inline constexpr int kCopyQuality = 75;

// Baseline JFIF from the bitmap: RGB input, three components, libjpeg's
// defaults with the given quality and baseline tables forced. A comment,
// when given, goes into one COM segment right after the JFIF APP0 segment;
// the rest of the file is the same as without it.
bool EncodeJpeg(const Bitmap& picture, int quality, std::string& out, std::string_view comment = {});

}  // namespace htmlimglist
