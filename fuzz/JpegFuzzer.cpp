// The reduced image maker on arbitrary JPEG bytes: decode, reduce to a size
// derived from the input's length (so real files serve as seeds unchanged),
// encode to memory. Two bytes from inside the input pick the EXIF
// orientation and the road (nearest pixel or area average), so both roads
// and every turn see every kind of input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/ReductionInput.h"
#include "listgen/JpegCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    if (size == 0) return 0;
    const auto [width, height, how] = ReductionOfInput(data, size);
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Bitmap picture;
    if (DecodeJpegScaled(JpegInput{{}, bytes}, width, height, picture, nullptr, how)) {
        std::string jpeg;
        EncodeJpeg(picture, 75, jpeg);
    }
    return 0;
}
