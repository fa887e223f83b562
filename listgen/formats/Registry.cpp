#include "listgen/formats/Registry.h"

#include <array>
#include <cstdlib>

#include "listgen/formats/FormatEntries.h"

namespace htmlimglist {

std::span<const ImageFormat* const> ImageFormats() {
    // JPEG before GIF: a file is probed as a JPEG first, then as a GIF.
    // Videos last: every picture format has had its say before a file is
    // taken for a video.
    static const std::array<const ImageFormat*, 5> formats = {&JpegFormat(), &GifFormat(), &PngFormat(),
                                                              &WebpFormat(), &VideoFormat()};
    return formats;
}

const ImageFormat& FormatOf(ImageKind kind) {
    for (const ImageFormat* format : ImageFormats()) {
        if (format->Kind() == kind) return *format;
    }
    std::abort();  // every kind has its entry
}

std::optional<ProbedImage> ProbeImage(ProbeSource& source, const ProbeOptions& options) {
    ProbedImage probed;
    for (const ImageFormat* format : ImageFormats()) {
        if (!options.Lists(format->Group())) continue;
        probed.header = ImageHeader{};
        if (format->Probe(source, options, probed.header)) {
            probed.format = format;
            return probed;
        }
    }
    return std::nullopt;
}

std::optional<ProbedImage> ProbeImageFile(const std::string& path, const ProbeOptions& options) {
    FileProbeSource file;
    if (!file.Open(path)) return std::nullopt;
    return ProbeImage(file, options);
}

std::optional<NotListedReason> SniffLookalike(ProbeSource& source, const ProbeOptions& options) {
    for (const ImageFormat* format : ImageFormats()) {
        if (!options.Lists(format->Group())) continue;
        if (auto why = format->Sniff(source)) return why;
    }
    return std::nullopt;
}

bool DecodeReducedImage(ImageKind kind, const DecodeInput& input, const ReduceTarget& target,
                        const DecodeControl& control, Bitmap& out, DecodeReport& report) {
    report = DecodeReport{};
    return FormatOf(kind).DecodeReduced(input, target, control, out, report);
}

}  // namespace htmlimglist
