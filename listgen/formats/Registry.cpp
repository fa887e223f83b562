#include "listgen/formats/Registry.h"

#include <array>
#include <cstdlib>
#include <string>

#include "listgen/formats/FormatEntries.h"

namespace htmlimglist {

std::span<const ImageFormat* const> ImageFormats() {
    // JPEG before GIF: a file is probed as a JPEG first, then as a GIF.
    // Videos last: every picture format has had its say before a file is
    // taken for a video.
    static const std::array<const ImageFormat*, 7> formats = {&JpegFormat(), &GifFormat(),  &PngFormat(),
                                                              &WebpFormat(), &HeicFormat(), &AvifFormat(),
                                                              &VideoFormat()};
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

bool DecodeControl::WithinPixelLimit(int64_t width, int64_t height, int64_t formatLimit,
                                     DecodeReport& report) const {
    if (width > 0 && height > 0 && width * height <= PixelLimit(formatLimit)) return true;
    report.overLimit = width > 0 && height > 0;
    report.error = "source of " + std::to_string(width) + " x " + std::to_string(height) + " pixels refused";
    return false;
}

bool DecodeControl::Reserve(int64_t bytes, BudgetLease& lease, DecodeReport& report) const {
    if (budget == nullptr || bytes <= 0) return true;
    switch (budget->Take(bytes, cancel)) {
        case MemoryBudget::Answer::Granted:
            lease.Hold(budget, bytes);
            return true;
        case MemoryBudget::Answer::TooLarge:
            report.overLimit = true;
            report.error = "needs " + std::to_string(bytes / (1024 * 1024)) +
                           " MiB, more than the decoders may hold at once";
            return false;
        case MemoryBudget::Answer::Cancelled:
            report.aborted = true;
            report.error = "aborted";
            return false;
    }
    return false;
}

bool DecodeReducedImage(ImageKind kind, const DecodeInput& input, const ReduceTarget& target,
                        const DecodeControl& control, Bitmap& out, DecodeReport& report) {
    report = DecodeReport{};
    return FormatOf(kind).DecodeReduced(input, target, control, out, report);
}

}  // namespace htmlimglist
