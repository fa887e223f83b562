// Videos: MP4, MOV and WebM files, recognised by their containers' own
// bounded probes (VideoProbe.h) and shown by a poster frame
// (VideoPoster.h). Browsers do not show a video as an image, so a video is
// listed only where its poster copy is made.
#include "listgen/formats/FormatEntries.h"
#include "listgen/formats/VideoPoster.h"
#include "listgen/formats/VideoProbe.h"

namespace htmlimglist {
namespace {

bool ProbeAsVideo(ProbeSource& source, const ProbeOptions&, ImageHeader& header) {
    return ProbeVideo(source, header) == VideoProbeResult::Video;
}

// A container's start whose structure is cut short or inconsistent; a whole
// one without video (a sound file) is no lookalike.
std::optional<NotListedReason> SniffVideo(ProbeSource& source) {
    ImageHeader header;
    if (ProbeVideo(source, header) == VideoProbeResult::Damaged) return NotListedReason::Damaged;
    return std::nullopt;
}

bool DecodePoster(const DecodeInput& input, const ReduceTarget& target, const DecodeControl& control, Bitmap& out,
                  DecodeReport& report) {
    return DecodeVideoPoster(input, target, control, VideoPosterBounds{}, out, report);
}

}  // namespace

const ImageFormat& VideoFormat() {
    static const FunctionEntry entry({ImageKind::Video, FormatGroup::Videos, ProbeAsVideo, SniffVideo, DecodePoster,
                                      NotListedReason::VideoNeedsCopies});
    return entry;
}

}  // namespace htmlimglist
