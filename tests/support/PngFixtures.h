// Real PNG files made in code with libpng's writer, and the picture each one
// must decode to, worked out from the recipe's samples alone.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Bitmap.h"

namespace htmlimglist::test {

// PNG colour types by their number in IHDR.
enum class PngColour { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, Rgba = 6 };

struct PngRecipe {
    int width = 40;
    int height = 30;
    PngColour colour = PngColour::Rgb;
    int depth = 8;               // bits per sample
    bool interlaced = false;     // Adam7
    bool transparency = false;   // a tRNS chunk: a key colour (grey, RGB) or palette alphas
    bool flat = false;           // every pixel the colour of pixel (0, 0)
    int zlibLevel = -1;          // zlib's default
    std::string beforeImage{};   // chunks put right after IHDR
    std::string afterImage{};    // chunks put right before IEND
};

std::string MakePng(const PngRecipe& recipe);

// The picture MakePng's file shows, laid over white: samples widened or
// scaled to 8 bits ((v·255 + 32767) / 65535 from 16), palette looked up,
// tRNS as alpha, then (c·a + 255·(255 − a) + 127) / 255.
Bitmap PngPictureOverWhite(const PngRecipe& recipe);

// One chunk: length, type, data, CRC.
std::string PngChunk(const std::string& type, const std::string& data);
// The signature and an IHDR chunk with these fields.
std::string PngHead(uint32_t width, uint32_t height, int depth = 8, int colourType = 2, int interlace = 0);

}  // namespace htmlimglist::test
