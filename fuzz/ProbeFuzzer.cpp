// The header probe on arbitrary file bytes, and the Exif orientation parser
// on the same bytes taken as the data of an APP1 segment, whole and as a
// first part of a longer segment.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "listgen/ChGetImgSize.h"
#include "listgen/ExifOrientation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    MemoryProbeSource source(std::string_view(reinterpret_cast<const char*>(data), size));
    ChGetImgSize probe;
    int32_t width = 0, height = 0;
    if (!probe.GetJpegSize(source, width, height)) probe.GetGifSize(source, width, height);
    if (probe.Orientation < 1 || probe.Orientation > 8) std::abort();

    const std::span<const uint8_t> bytes(data, size);
    const int whole = ExifOrientation(bytes);
    if (whole < 1 || whole > 8) std::abort();
    // A first part never contradicts the whole: when it settles, the whole
    // agrees.
    const std::size_t part = size / 2;
    const ExifOrientationLook look = LookForExifOrientation(bytes.first(part), size);
    if (look.settled && look.orientation != whole) std::abort();
    if (!look.settled && look.orientation != 1) std::abort();
    return 0;
}
