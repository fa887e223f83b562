// The probes of ISO media and Matroska files on arbitrary bytes: each ends
// with an answer, asks the bytes for no more than its limit, and a video's
// header is sane; the registry takes what the probes take, and a damaged
// video is a lookalike.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "listgen/formats/Registry.h"
#include "listgen/formats/VideoProbe.h"

namespace {

using namespace htmlimglist;

class CountingSource final : public ProbeSource {
public:
    explicit CountingSource(std::string_view bytes) : inner_(bytes) {}
    int64_t Size() const override { return inner_.Size(); }
    std::size_t ReadAt(int64_t offset, void* buffer, std::size_t n) override {
        asked += int64_t(n);
        ++reads;
        return inner_.ReadAt(offset, buffer, n);
    }
    int64_t asked = 0;
    int reads = 0;

private:
    MemoryProbeSource inner_;
};

void CheckHeader(VideoProbeResult result, const ImageHeader& header) {
    if (result != VideoProbeResult::Video) return;
    if (header.width < 1 || header.height < 1 || header.orientation != 1 || !header.video ||
        header.durationMs < -1)
        std::abort();
    if (header.typeText != "MP4" && header.typeText != "MOV" && header.typeText != "WebM") std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (auto probe : {ProbeIsoBmffVideo, ProbeMatroskaVideo}) {
        CountingSource source(bytes);
        ImageHeader header;
        const VideoProbeResult result = probe(source, header);
        if (source.asked > kVideoProbeReadLimit || source.reads > kVideoProbeMaxReads) std::abort();
        CheckHeader(result, header);
    }

    MemoryProbeSource source(bytes);
    ImageHeader header;
    const VideoProbeResult video = ProbeVideo(source, header);
    CheckHeader(video, header);
    const auto probed = ProbeImage(source, ProbeOptions::Everything());
    if (probed && probed->Kind() == ImageKind::Video && video != VideoProbeResult::Video) std::abort();
    if (!probed && video == VideoProbeResult::Damaged && !SniffLookalike(source, ProbeOptions::Everything()))
        std::abort();
    return 0;
}
