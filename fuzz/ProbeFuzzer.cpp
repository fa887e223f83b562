// The header probe on arbitrary file bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "listgen/ChGetImgSize.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    MemoryProbeSource source(std::string_view(reinterpret_cast<const char*>(data), size));
    ChGetImgSize probe;
    int32_t width = 0, height = 0;
    if (!probe.GetJpegSize(source, width, height)) probe.GetGifSize(source, width, height);
    return 0;
}
