#include "support/PngFixtures.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace htmlimglist::test {
namespace {

int Channels(PngColour colour) {
    switch (colour) {
        case PngColour::Grey: case PngColour::Palette: return 1;
        case PngColour::GreyAlpha: return 2;
        case PngColour::Rgb: return 3;
        case PngColour::Rgba: return 4;
    }
    return 1;
}

// Entries in the palette: fewer than the depth allows at 8 bits, so that a
// short palette is covered too.
int PaletteSize(int depth) { return depth == 8 ? 200 : 1 << depth; }

// Sample c of pixel (x, y): an odd multiplier walks through every value
// (a 256 x 256 picture at 16 bits holds each of the 65536 once); some pixels
// take the key colour of the tRNS chunk.
uint32_t Sample(const PngRecipe& r, int x, int y, int c) {
    if (r.flat) x = y = 0;
    const uint32_t top = r.depth == 16 ? 0xFFFF : (1u << r.depth) - 1;
    if (r.colour == PngColour::Palette) {
        return uint32_t((int64_t(y) * r.width + x) * 40503 + 7 * y) % uint32_t(PaletteSize(r.depth));
    }
    const bool keyed = r.transparency && (x * 7 + y * 3) % 11 == 0;
    if (keyed) return (top / 3 + uint32_t(c) * 5) & top;
    return uint32_t((int64_t(y) * r.width + x) * 40503 + int64_t(c) * 12345 + 3 * y) & top;
}

uint32_t Key(const PngRecipe& r, int c) {
    const uint32_t top = r.depth == 16 ? 0xFFFF : (1u << r.depth) - 1;
    return (top / 3 + uint32_t(c) * 5) & top;
}

std::array<uint8_t, 3> PaletteEntry(int i) { return {uint8_t(i * 37 + 11), uint8_t(255 - i * 3), uint8_t(i * i)}; }
int PaletteAlphas(int depth) { return PaletteSize(depth) / 2 + 1; }
uint8_t PaletteAlpha(int i) { return i == 0 ? 0 : i == 1 ? 255 : uint8_t(i * 53); }

uint8_t To8(uint32_t v, int depth) {
    if (depth == 16) return uint8_t((v * 255 + 32767) / 65535);
    return uint8_t(v * 255 / ((1u << depth) - 1));
}

extern "C" void AppendToString(png_structp png, png_bytep data, std::size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}
extern "C" void FlushNothing(png_structp) {}
// A writer error is a fault of the recipe: say so and stop.
extern "C" void StopOnError(png_structp, png_const_charp message) {
    std::fprintf(stderr, "PngFixtures: libpng cannot write the recipe: %s\n", message);
    std::abort();
}
extern "C" void IgnoreWarning(png_structp, png_const_charp) {}

uint32_t Crc(const std::string& bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string BigEndian(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// One row as the file stores it: samples packed most significant bits
// first below 8 bits, big-endian at 16.
void PackRow(const PngRecipe& r, int y, std::vector<uint8_t>& row) {
    const int channels = Channels(r.colour);
    std::fill(row.begin(), row.end(), 0);
    std::size_t bit = 0;
    for (int x = 0; x < r.width; ++x) {
        for (int c = 0; c < channels; ++c, bit += std::size_t(r.depth)) {
            const uint32_t v = Sample(r, x, y, c);
            if (r.depth == 16) {
                row[bit / 8] = uint8_t(v >> 8);
                row[bit / 8 + 1] = uint8_t(v);
            } else {
                row[bit / 8] |= uint8_t(v << (8 - r.depth - int(bit % 8)));
            }
        }
    }
}

void Write(png_structp png, png_infop info, const PngRecipe& r, std::string& out) {
    png_set_write_fn(png, &out, AppendToString, FlushNothing);
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    if (r.zlibLevel >= 0) png_set_compression_level(png, r.zlibLevel);
    if (r.flat) png_set_filter(png, 0, PNG_FILTER_NONE);
    png_set_IHDR(png, info, png_uint_32(r.width), png_uint_32(r.height), r.depth, int(r.colour),
                 r.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    std::vector<png_byte> alphas;
    png_color_16 key{};
    if (r.colour == PngColour::Palette) {
        for (int i = 0; i < PaletteSize(r.depth); ++i) {
            const auto e = PaletteEntry(i);
            palette.push_back(png_color{e[0], e[1], e[2]});
        }
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
        if (r.transparency) {
            for (int i = 0; i < PaletteAlphas(r.depth); ++i) alphas.push_back(PaletteAlpha(i));
            png_set_tRNS(png, info, alphas.data(), int(alphas.size()), nullptr);
        }
    } else if (r.transparency) {
        key.gray = png_uint_16(Key(r, 0));
        key.red = png_uint_16(Key(r, 0));
        key.green = png_uint_16(Key(r, 1));
        key.blue = png_uint_16(Key(r, 2));
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    std::vector<uint8_t> row(png_get_rowbytes(png, info));
    const int passes = png_set_interlace_handling(png);
    if (r.flat) PackRow(r, 0, row);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < r.height; ++y) {
            if (!r.flat) PackRow(r, y, row);
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, nullptr);
}

}  // namespace

std::string MakePng(const PngRecipe& recipe) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, StopOnError, IgnoreWarning);
    png_infop info = png_create_info_struct(png);
    Write(png, info, recipe, out);
    png_destroy_write_struct(&png, &info);
    // IHDR ends at 33; IEND is the last 12 bytes.
    out.insert(out.size() - 12, recipe.afterImage);
    out.insert(33, recipe.beforeImage);
    return out;
}

Bitmap PngPictureOverWhite(const PngRecipe& r) {
    Bitmap picture(r.width, r.height);
    for (int y = 0; y < r.height; ++y) {
        for (int x = 0; x < r.width; ++x) {
            uint8_t rgba[4] = {0, 0, 0, 255};
            switch (r.colour) {
                case PngColour::Palette: {
                    const int i = int(Sample(r, x, y, 0));
                    const auto e = PaletteEntry(i);
                    rgba[0] = e[0], rgba[1] = e[1], rgba[2] = e[2];
                    if (r.transparency && i < PaletteAlphas(r.depth)) rgba[3] = PaletteAlpha(i);
                    break;
                }
                case PngColour::Grey:
                case PngColour::GreyAlpha: {
                    const uint32_t v = Sample(r, x, y, 0);
                    rgba[0] = rgba[1] = rgba[2] = To8(v, r.depth);
                    if (r.colour == PngColour::GreyAlpha) rgba[3] = To8(Sample(r, x, y, 1), r.depth);
                    if (r.transparency && v == Key(r, 0)) rgba[3] = 0;
                    break;
                }
                case PngColour::Rgb:
                case PngColour::Rgba: {
                    bool keyed = r.transparency;
                    for (int c = 0; c < 3; ++c) {
                        const uint32_t v = Sample(r, x, y, c);
                        rgba[c] = To8(v, r.depth);
                        keyed = keyed && v == Key(r, c);
                    }
                    if (r.colour == PngColour::Rgba) rgba[3] = To8(Sample(r, x, y, 3), r.depth);
                    if (keyed) rgba[3] = 0;
                    break;
                }
            }
            uint8_t* p = picture.Row(y) + 3 * x;
            for (int c = 0; c < 3; ++c) p[c] = uint8_t((rgba[c] * rgba[3] + 255 * (255 - rgba[3]) + 127) / 255);
        }
    }
    return picture;
}

std::string PngChunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    return BigEndian(uint32_t(data.size())) + body + BigEndian(Crc(body));
}

std::string PngHead(uint32_t width, uint32_t height, int depth, int colourType, int interlace) {
    const std::string fields =
        BigEndian(width) + BigEndian(height) + std::string{char(depth), char(colourType), 0, 0, char(interlace)};
    return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", fields);
}

}  // namespace htmlimglist::test
