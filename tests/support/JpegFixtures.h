// Real JPEG files made in code, for decode and reduce tests.
#pragma once

#include <string>

namespace htmlimglist::test {

enum class Chroma { S420, S422, S444 };
enum class JpegColor { Rgb, Gray, Cmyk };

struct JpegRecipe {
    int width = 64;
    int height = 48;
    Chroma chroma = Chroma::S420;
    JpegColor color = JpegColor::Rgb;
    bool progressive = false;
    int quality = 90;
};

// A photo-like picture (gradients with some texture), encoded with the given
// size, chroma layout, colour model, scan mode and quality.
std::string MakeJpeg(const JpegRecipe& recipe);

}  // namespace htmlimglist::test
