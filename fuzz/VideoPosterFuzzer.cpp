// The poster decode on arbitrary bytes, through FFmpeg's demuxers and
// decoders: our I/O context, the key frame search and the reduction must
// end, within tight bounds, with a picture of the target's size or a
// reason. The size and the way of reducing come from the input, as for the
// picture formats' targets.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/ReductionInput.h"
#include "listgen/formats/VideoPoster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    if (size == 0) return 0;
    const ReductionInput input = ReductionOfInput(data, size);
    DecodeControl control;
    control.maxPixels = int64_t(1) << 22;
    VideoPosterBounds bounds;
    bounds.time = std::chrono::milliseconds(2000);
    bounds.readBytes = int64_t(8) << 20;
    Bitmap picture;
    DecodeReport report;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (DecodeVideoPoster(DecodeInput{{}, bytes}, input.target, control, bounds, picture, report)) {
        if (picture.Width() != input.target.width || picture.Height() != input.target.height) std::abort();
    } else if (report.error.empty()) {
        std::abort();
    }
    return 0;
}
