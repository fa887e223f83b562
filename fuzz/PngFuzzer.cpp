// The PNG probe and the PNG decoder on arbitrary bytes: the probe's answer
// must be sane, then the decoder reduces the same bytes (whether or not the
// probe took them, to reach more of libpng) to a size derived from the
// input's length, so real files serve as seeds unchanged. Two bytes from
// inside the input pick the EXIF orientation and the road (nearest pixel
// or area average). The bare-TIFF orientation parser that eXIf uses gets
// the bytes too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "fuzz/ReductionInput.h"
#include "listgen/ExifOrientation.h"
#include "listgen/ImageHeader.h"
#include "listgen/JpegCodec.h"
#include "listgen/PngCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MemoryProbeSource source(bytes);
    ImageHeader header;
    if (ProbePng(source, header)) {
        if (header.width < 1 || header.height < 1 || header.orientation < 1 || header.orientation > 8) std::abort();
    }

    const std::span<const uint8_t> span(data, size);
    const int whole = TiffOrientation(span);
    const ExifOrientationLook look = LookForTiffOrientation(span.first(size / 2), size);
    if (whole < 1 || whole > 8 || (look.settled && look.orientation != whole)) std::abort();

    const auto [width, height, how] = ReductionOfInput(data, size);
    Bitmap picture;
    DecodeReport report;
    if (DecodePngBytesReduced(bytes, width, height, picture, &report, how)) {
        if (picture.Width() != width || picture.Height() != height) std::abort();
        std::string jpeg;
        EncodeJpeg(picture, 75, jpeg);
    }
    return 0;
}
