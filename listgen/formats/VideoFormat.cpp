// Videos: MP4, MOV and WebM files, recognised by their containers' own
// bounded probes (VideoProbe.h) and shown by a poster frame
// (VideoPoster.h). Browsers do not show a video as an image, so a video is
// listed only where its poster copy is made.
#include "listgen/formats/FormatEntries.h"
#include "listgen/formats/VideoPoster.h"
#include "listgen/formats/VideoProbe.h"

namespace htmlimglist {
namespace {

class VideoEntry final : public ImageFormat {
public:
    ImageKind Kind() const override { return ImageKind::Video; }
    FormatGroup Group() const override { return FormatGroup::Videos; }
    bool Probe(ProbeSource& source, const ProbeOptions&, ImageHeader& header) const override {
        return ProbeVideo(source, header) == VideoProbeResult::Video;
    }
    // A container's start whose structure is cut short or inconsistent; a
    // whole one without video (a sound file) is no lookalike.
    std::optional<NotListedReason> Sniff(ProbeSource& source) const override {
        ImageHeader header;
        if (ProbeVideo(source, header) == VideoProbeResult::Damaged) return NotListedReason::Damaged;
        return std::nullopt;
    }
    std::optional<NotListedReason> WithoutCopies() const override { return NotListedReason::VideoNeedsCopies; }
    bool DecodeReduced(const DecodeInput& input, const ReduceTarget& target, const DecodeControl& control,
                       Bitmap& out, DecodeReport& report) const override {
        return DecodeVideoPoster(input, target, control, VideoPosterBounds{}, out, report);
    }
};

}  // namespace

const ImageFormat& VideoFormat() {
    static const VideoEntry entry;
    return entry;
}

}  // namespace htmlimglist
