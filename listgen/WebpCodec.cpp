#include "listgen/WebpCodec.h"

namespace htmlimglist {

bool DecodeWebpReduced(const std::string&, int, int, Bitmap&, DecodeReport* report, const Reduction&) {
    if (report != nullptr) report->error = "WebP decoding is not built";
    return false;
}

}  // namespace htmlimglist
