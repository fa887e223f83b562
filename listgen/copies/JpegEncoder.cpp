#include "listgen/copies/JpegEncoder.h"

#include <cstdlib>

#include "listgen/formats/LibjpegTrap.h"

namespace htmlimglist {
namespace {

bool Encode(jpeg_compress_struct& codec, LibjpegTrap& trap, const Bitmap& picture, int quality,
            std::string_view comment, std::string_view colourProfile) {
    if (setjmp(trap.jump) != 0) return false;
    codec.image_width = JDIMENSION(picture.Width());
    codec.image_height = JDIMENSION(picture.Height());
    codec.input_components = 3;
    codec.in_color_space = JCS_RGB;
    jpeg_set_defaults(&codec);
    jpeg_set_quality(&codec, quality, TRUE);
    jpeg_start_compress(&codec, TRUE);
    if (!comment.empty()) {
        jpeg_write_marker(&codec, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()),
                          static_cast<unsigned>(comment.size()));
    }
    if (!colourProfile.empty()) {
        jpeg_write_icc_profile(&codec, reinterpret_cast<const JOCTET*>(colourProfile.data()),
                               static_cast<unsigned>(colourProfile.size()));
    }
    while (codec.next_scanline < codec.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.Row(int(codec.next_scanline)));
        jpeg_write_scanlines(&codec, &row, 1);
    }
    jpeg_finish_compress(&codec);
    return true;
}

}  // namespace

bool EncodeJpeg(const Bitmap& picture, int quality, std::string& out, std::string_view comment,
                std::string_view colourProfile) {
    out.clear();
    if (picture.Empty()) return false;
    LibjpegTrap trap;
    InitLibjpegTrap(trap);
    jpeg_compress_struct codec;
    codec.err = &trap.manager;
    jpeg_create_compress(&codec);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&codec, &buffer, &size);
    const bool ok = Encode(codec, trap, picture, quality, comment, colourProfile);
    jpeg_destroy_compress(&codec);
    if (ok && buffer != nullptr) out.assign(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return ok && !out.empty();
}

}  // namespace htmlimglist
