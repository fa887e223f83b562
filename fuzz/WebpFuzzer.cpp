// The WebP header probe and the reduced-copy decoder on arbitrary bytes.
// The copy's size is derived from the input's length (so real files serve
// as seeds unchanged); two bytes from inside the input pick the EXIF
// orientation and the road (nearest pixel or area average). The pixel
// limit is lowered to 2^22 so that headers claiming huge pictures do not
// slow every run down; the sizes themselves are worked out the same way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/ReductionInput.h"
#include "listgen/ImageHeader.h"
#include "listgen/WebpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MemoryProbeSource source(bytes);
    ImageHeader header;
    const bool probed = ProbeWebp(source, header);
    if (probed && (header.width < 1 || header.height < 1 || header.orientation < 1 || header.orientation > 8))
        std::abort();
    if (size == 0) return 0;

    const auto [width, height, how] = ReductionOfInput(data, size);
    Bitmap picture;
    DecodeReport report;
    if (DecodeWebpBytesReduced(bytes, width, height, picture, &report, how, int64_t(1) << 22)) {
        if (picture.Width() != width || picture.Height() != height) std::abort();
        // What libwebp decoded has the size the probe read.
        if (probed && (report.sourceWidth != header.width || report.sourceHeight != header.height)) std::abort();
    }
    return 0;
}
