// Test-only GIF writer: an LZW encoder and a builder that lays down the
// blocks of a GIF stream one call at a time, so every case is made in code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gif/GIFTypes.h"

namespace htmlimglist::test {

using Bytes = std::vector<uint8_t>;

struct LzwOptions {
    int leadingClears = 1;      // clear codes before the first pixel (0: none)
    bool clearWhenFull = true;  // send a clear when the table fills, else go on with it full
    bool endCode = true;        // finish with an end code
    bool terminator = true;     // finish with a zero-length sub-block
    int blockSize = 255;        // bytes per data sub-block
};

// The LZW codes of indices, packed least significant bit first.
Bytes LzwCodes(const std::vector<uint8_t>& indices, int minCodeSize, const LzwOptions& options = {});
// Packs codes of the given widths (for hand-made code sequences).
Bytes PackCodes(const std::vector<std::pair<int, int>>& codesAndWidths);
// Splits data into sub-blocks, with a terminator when asked.
Bytes SubBlocks(const Bytes& data, int blockSize = 255, bool terminator = true);

// Rows in the order an interlaced frame stores them.
std::vector<uint8_t> InterlaceRows(const std::vector<uint8_t>& pixels, int width, int height);

struct FrameRecipe {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::vector<TGIFColor> localColors;  // padded to a power of two; empty: none
    int minCodeSize = 2;
    std::vector<uint8_t> pixels;  // width * height indices, top row first
    LzwOptions lzw;
};

class GifBuilder {
public:
    // Signature, version and logical screen descriptor, then the global table.
    GifBuilder& Header(int width, int height, const std::vector<TGIFColor>& globalColors = {},
                       uint8_t background = 0, const std::string& signature = "GIF89a");
    GifBuilder& GraphicControl(bool transparent, uint8_t transparentIndex, int disposal = 0,
                               uint16_t delay = 0);
    GifBuilder& Comment(const std::vector<std::string>& blocks);
    // An application extension with an identifier block of blockSize bytes
    // taken from identifier (zero-padded), then the given data sub-blocks.
    GifBuilder& Application(const std::string& identifier, const std::vector<Bytes>& blocks,
                            int blockSize = 11);
    // Image descriptor, local table, minimum code size and LZW data.
    GifBuilder& Frame(const FrameRecipe& frame);
    // Image descriptor and local table only; image data to follow with Raw.
    GifBuilder& Descriptor(const FrameRecipe& frame);
    GifBuilder& Raw(const Bytes& bytes);
    GifBuilder& Trailer();

    const Bytes& bytes() const { return bytes_; }

private:
    void Word(int value);
    void ColorTable(const std::vector<TGIFColor>& colors);
    static int TableSizeBits(std::size_t count);

    Bytes bytes_;
};

// Two-colour and four-colour tables used by many cases.
inline const std::vector<TGIFColor> kBlackWhite = {{0, 0, 0}, {255, 255, 255}};
inline const std::vector<TGIFColor> kRgbw = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

}  // namespace htmlimglist::test
