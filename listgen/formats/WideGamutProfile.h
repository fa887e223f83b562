// ICC profiles for the colour descriptions HEIF files give as numbers (an
// nclx colr box: colour primaries as ITU-T H.273 numbers them) instead of
// an ICC profile, for the primaries wider than sRGB's that phones and
// cameras write: Display P3 (12), DCI-P3 (11) and BT.2020 (9). A copy of
// such a picture carries the profile so that a browser shows its colours,
// not sRGB's duller reading of the same numbers.
#pragma once

#include <string_view>

namespace htmlimglist {

// The profile for the primaries; empty for every other number (sRGB's own,
// 1, needs none). Each is made once, on first use, with lcms2, and is the
// same bytes every time.
std::string_view WideGamutProfile(int primaries);

}  // namespace htmlimglist
