#include "support/JpegFixtures.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <vector>

#include <jpeglib.h>

namespace htmlimglist::test {

std::string MakeJpeg(const JpegRecipe& recipe) {
    jpeg_compress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = JDIMENSION(recipe.width);
    c.image_height = JDIMENSION(recipe.height);
    int components = 3;
    switch (recipe.color) {
        case JpegColor::Rgb: c.in_color_space = JCS_RGB; break;
        case JpegColor::Gray: c.in_color_space = JCS_GRAYSCALE, components = 1; break;
        case JpegColor::Cmyk: c.in_color_space = JCS_CMYK, components = 4; break;
    }
    c.input_components = components;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, recipe.quality, TRUE);
    if (recipe.color == JpegColor::Rgb) {
        int h = recipe.chroma == Chroma::S444 ? 1 : 2;
        int v = recipe.chroma == Chroma::S420 ? 2 : 1;
        c.comp_info[0].h_samp_factor = h;
        c.comp_info[0].v_samp_factor = v;
    }
    if (recipe.progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(std::size_t(recipe.width) * std::size_t(components));
    for (int y = 0; y < recipe.height; ++y) {
        for (int x = 0; x < recipe.width; ++x) {
            int r = (x * 255 / std::max(1, recipe.width - 1) + (y * 7) % 31) & 0xFF;
            int g = (y * 255 / std::max(1, recipe.height - 1)) & 0xFF;
            int b = ((x ^ y) * 5) & 0xFF;
            JSAMPLE* p = row.data() + std::size_t(x) * std::size_t(components);
            if (components == 1) {
                p[0] = JSAMPLE((r + g + b) / 3);
            } else {
                p[0] = JSAMPLE(r), p[1] = JSAMPLE(g), p[2] = JSAMPLE(b);
                if (components == 4) p[3] = JSAMPLE(200);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string out(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return out;
}

}  // namespace htmlimglist::test
