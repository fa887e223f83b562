// One entry of the format registry on arbitrary bytes; the build makes one
// target per format (FUZZ_FORMAT names its kind). The probe's answer must be
// sane; then the decoder reduces the same bytes (whether or not the probe
// took them, to reach more of the codec) to a size derived from the input's
// length, so real files serve as seeds unchanged, and what it decodes must
// be the size the probe read. Two bytes from inside the input pick the EXIF
// orientation and the way of reducing. The pixel limit is lowered to 2^22
// so that headers claiming huge pictures do not slow every run down.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/ReductionInput.h"
#include "listgen/copies/JpegEncoder.h"
#include "listgen/formats/Registry.h"

// libheif's AV1 decoder plugin leaves dav1d's copy of a packet it refused
// unfreed (a few bytes, in the libraries, not in our code).
extern "C" const char* __lsan_default_suppressions() { return "leak:libdav1d.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    const ImageFormat& format = FormatOf(ImageKind::FUZZ_FORMAT);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MemoryProbeSource source(bytes);
    ImageHeader header;
    const bool probed = format.Probe(source, ProbeOptions::Everything(), header);
    // JPEG and GIF headers may give a side of 0 (the page lists them as
    // they are); no side is ever negative.
    if (probed && (header.width < 0 || header.height < 0 || header.orientation < 1 || header.orientation > 8))
        std::abort();
    if (!probed) format.Sniff(source);
    if (size == 0) return 0;

    const ReductionInput input = ReductionOfInput(data, size);
    DecodeControl control;
    control.maxPixels = int64_t(1) << 22;
    Bitmap picture;
    DecodeReport report;
    if (format.DecodeReduced(DecodeInput{{}, bytes}, input.target, control, picture, report)) {
        if (picture.Width() != input.target.width || picture.Height() != input.target.height) std::abort();
        if (probed && (report.sourceWidth != header.width || report.sourceHeight != header.height)) std::abort();
        std::string jpeg;
        EncodeJpeg(picture, kCopyQuality, jpeg, {}, report.colourProfile);
    }
    return 0;
}
