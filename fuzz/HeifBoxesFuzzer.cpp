// The HEIF box probe on arbitrary bytes, in memory and (for the window of
// the file reader) through a file: both give the same answer, a recognised
// picture has a size, and the two registry entries split it by coding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "listgen/formats/HeifBoxes.h"
#include "listgen/formats/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    MemoryProbeSource source(std::string_view(reinterpret_cast<const char*>(data), size));
    const HeifHeader header = ProbeHeifBoxes(source);
    if (header.verdict == HeifVerdict::Recognised && (header.width < 1 || header.height < 1)) std::abort();
    if (header.verdict != HeifVerdict::Recognised && (header.width != 0 || header.animated)) std::abort();

    ImageHeader heic, avif;
    const bool isHeic = FormatOf(ImageKind::Heic).Probe(source, ProbeOptions::Everything(), heic);
    const bool isAvif = FormatOf(ImageKind::Avif).Probe(source, ProbeOptions::Everything(), avif);
    if ((isHeic || isAvif) != (header.verdict == HeifVerdict::Recognised) || (isHeic && isAvif)) std::abort();
    if (isHeic && (heic.width != header.width || heic.height != header.height || heic.orientation != 1)) std::abort();
    const auto why = FormatOf(ImageKind::Heic).Sniff(source);
    if (why.has_value() != (header.verdict == HeifVerdict::Damaged || header.verdict == HeifVerdict::OtherCoding))
        std::abort();
    return 0;
}
