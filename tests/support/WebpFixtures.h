// Real WebP files made in code with libwebp's encoder and muxer, for probe,
// decode and page tests.
#pragma once

#include <cstdint>
#include <string>

namespace htmlimglist::test {

struct WebpRecipe {
    int width = 64;               // the canvas
    int height = 48;
    bool lossless = false;        // VP8L instead of VP8
    bool alpha = false;           // see-through parts, from clear to opaque (lossy: an ALPH chunk in VP8X)
    int quality = 80;             // lossy only
    int orientation = 0;          // 1 to 8: VP8X with an EXIF chunk holding this orientation
    bool exifIdentifier = false;  // the EXIF chunk starts with "Exif\0\0", as some writers do
    int frames = 1;               // more than 1: an animation (VP8X, ANIM, ANMF frames)
    // An animation's first frame: its place and size on the canvas (offsets
    // even); 0 x 0 fills the canvas. The later frames fill it.
    int frameX = 0, frameY = 0, frameWidth = 0, frameHeight = 0;
    int seed = 1;                 // varies the picture
};

// A photo-like picture (gradients with some texture; with alpha, a
// transparency gradient with clear and opaque corners), encoded as asked.
std::string MakeWebp(const WebpRecipe& recipe);

// Hand-made files, for headers no encoder writes.
// A chunk: code, payload size (sizeField when not -1), payload, pad byte.
std::string WebpChunk(const std::string& code, const std::string& payload, int64_t sizeField = -1);
// "RIFF", the size of what follows plus sizeChange, "WEBP", the chunks.
std::string WebpRiff(const std::string& chunks, int64_t sizeChange = 0);
// value as `bytes` little-endian bytes.
std::string LittleEndian(uint32_t value, int bytes);

}  // namespace htmlimglist::test
