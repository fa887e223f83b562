// Real HEIC and AVIF files made in code with libheif's own encoders (x265
// and libaom in Debian's libheif), for the conformance suite and the page
// tests.
#pragma once

#include <string>

namespace htmlimglist::test {

struct HeifRecipe {
    int width = 64;     // odd sizes are padded by the encoder and cropped back by a clap
    int height = 48;
    bool av1 = false;   // AVIF instead of HEIC
    bool alpha = false; // a transparency gradient, clear at the left, opaque at the right
    int bits = 8;       // 8 or 10
    int seed = 1;       // varies the picture
    // Bytes of an ICC profile to attach (prof), when not empty.
    std::string icc = {};
};

// The file, or an empty string when this libheif has no encoder for the
// coding (tests then skip).
std::string MakeHeif(const HeifRecipe& recipe);

}  // namespace htmlimglist::test
