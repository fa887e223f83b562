// The reduced image maker on arbitrary JPEG bytes: decode, reduce to a size
// derived from the input's length (so real files serve as seeds unchanged),
// encode to memory. Two bytes from inside the input pick the EXIF
// orientation and the road (nearest pixel or area average), so both roads
// and every turn see every kind of input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "listgen/JpegCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    if (size == 0) return 0;
    const int width = 1 + int(size % 197);
    const int height = 1 + int(size / 197 % 199);
    Reduction how;
    how.orientation = 1 + data[size / 3] % 8;
    how.smooth = (data[size / 2] & 1) != 0;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Bitmap picture;
    if (DecodeJpegScaled(JpegInput{{}, bytes}, width, height, picture, nullptr, how)) {
        std::string jpeg;
        EncodeJpeg(picture, 75, jpeg);
    }
    return 0;
}
