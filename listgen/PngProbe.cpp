#include "listgen/ImageHeader.h"

namespace htmlimglist {

bool ProbePng(ProbeSource&, ImageHeader&) { return false; }

}  // namespace htmlimglist
