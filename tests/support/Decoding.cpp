#include "support/Decoding.h"

#include <algorithm>
#include <cmath>

namespace htmlimglist::test {

bool DecodeFull(ImageKind kind, const DecodeInput& input, Bitmap& out, DecodeReport* report) {
    std::optional<ProbedImage> probed;
    if (input.bytes.empty()) {
        probed = ProbeImageFile(input.path, ProbeOptions::Everything());
    } else {
        MemoryProbeSource source(input.bytes);
        probed = ProbeImage(source, ProbeOptions::Everything());
    }
    DecodeReport local;
    DecodeReport& r = report != nullptr ? *report : local;
    if (!probed || probed->Kind() != kind) {
        r = DecodeReport{};
        r.error = "not recognised";
        return false;
    }
    return DecodeScaled(kind, input, probed->header.width, probed->header.height, out, &r);
}

bool DecodeScaled(ImageKind kind, const DecodeInput& input, int width, int height, Bitmap& out,
                  DecodeReport* report, int orientation, bool smooth, const std::atomic<bool>* cancel) {
    DecodeReport local;
    const ReduceTarget target{width, height, orientation, smooth};
    DecodeControl control;
    control.cancel = cancel;
    return DecodeReducedImage(kind, input, target, control, out, report != nullptr ? *report : local);
}

bool SamePixels(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y) {
        if (!std::equal(a.Row(y), a.Row(y) + 3 * std::size_t(a.Width()), b.Row(y))) return false;
    }
    return true;
}

double Psnr(const Bitmap& a, const Bitmap& b) {
    double squares = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int k = 0; k < 3 * a.Width(); ++k) squares += double(a.Row(y)[k] - b.Row(y)[k]) * (a.Row(y)[k] - b.Row(y)[k]);
    if (squares == 0) return INFINITY;
    return 10 * std::log10(255.0 * 255.0 * 3 * a.Width() * a.Height() / squares);
}

}  // namespace htmlimglist::test
