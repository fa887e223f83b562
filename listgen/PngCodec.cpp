#include "listgen/PngCodec.h"

namespace htmlimglist {

bool DecodePngReduced(const std::string&, int, int, Bitmap&, DecodeReport* report, const Reduction&) {
    if (report != nullptr) report->error = "PNG decoding is not built";
    return false;
}

}  // namespace htmlimglist
