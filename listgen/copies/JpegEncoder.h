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
// an ICC profile, when given, into APP2 "ICC_PROFILE" segments after it (as
// many as it needs, 65519 bytes of profile each). The rest of the file is
// the same as without them.
bool EncodeJpeg(const Bitmap& picture, int quality, std::string& out, std::string_view comment = {},
                std::string_view colourProfile = {});

}  // namespace htmlimglist
