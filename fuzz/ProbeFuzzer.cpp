// The header probe on arbitrary file bytes, also with AcceptDeclaredTrailers
// (MoreImageTypes), and the registry's walk over every format; the Exif
// orientation parser on the same bytes taken as the data of an APP1 segment
// and as bare TIFF data, whole and as a first part of a longer block; and
// the checks of a JPEG's trailing bytes on them taken as an XMP packet and
// as the end of a file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "listgen/formats/ChGetImgSize.h"
#include "listgen/formats/Exif.h"
#include "listgen/formats/JpegTrailer.h"
#include "listgen/formats/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    MemoryProbeSource source(std::string_view(reinterpret_cast<const char*>(data), size));
    ChGetImgSize probe;
    int32_t width = 0, height = 0;
    const bool jpeg = probe.GetJpegSize(source, width, height);
    if (!jpeg) probe.GetGifSize(source, width, height);
    if (probe.Orientation < 1 || probe.Orientation > 8) std::abort();

    // The condition only adds files, and reports the same for the others.
    ChGetImgSize trailers;
    trailers.AcceptDeclaredTrailers = true;
    int32_t trailersWidth = 0, trailersHeight = 0;
    const bool trailersJpeg = trailers.GetJpegSize(source, trailersWidth, trailersHeight);
    if (jpeg && (!trailersJpeg || trailersWidth != width || trailersHeight != height ||
                 trailers.Orientation != probe.Orientation)) {
        std::abort();
    }
    if (trailers.Orientation < 1 || trailers.Orientation > 8) std::abort();

    // The registry: the JPEG entry answers as the probe does, and what is
    // recognised has a sane header.
    const auto probed = ProbeImage(source, ProbeOptions::Everything());
    if (trailersJpeg != (probed && probed->Kind() == ImageKind::Jpeg)) std::abort();
    if (probed && (probed->header.width < 0 || probed->header.orientation < 1 || probed->header.orientation > 8))
        std::abort();
    if (!probed) SniffLookalike(source, ProbeOptions::Everything());

    const std::span<const uint8_t> bytes(data, size);
    // A first part never contradicts the whole: when it settles, the whole
    // agrees.
    const std::size_t part = size / 2;
    for (const bool bare : {false, true}) {
        const int whole =
            (bare ? LookForTiffOrientation(bytes, size) : LookForExifOrientation(bytes, size)).orientation;
        if (whole < 1 || whole > 8) std::abort();
        const ExifOrientationLook look =
            bare ? LookForTiffOrientation(bytes.first(part), size) : LookForExifOrientation(bytes.first(part), size);
        if (look.settled && look.orientation != whole) std::abort();
        if (!look.settled && look.orientation != 1) std::abort();
    }

    const XmpTrailerLengths declared = ReadXmpTrailerLengths(bytes);
    if (declared.microVideo == 0 || declared.microVideo < -1 || declared.directory < -1) std::abort();
    // The bytes as a whole file and as the tail of a longer one.
    for (const int64_t fileLength : {int64_t(size), int64_t(size) + 1000}) {
        const int64_t sef = SefDataStart(bytes, fileLength);
        if (sef < -1 || sef >= fileLength) std::abort();
        const int64_t padding = PaddingStart(bytes, fileLength);
        if (padding != -1 && (padding < 2 || padding > fileLength)) std::abort();
    }
    return 0;
}
