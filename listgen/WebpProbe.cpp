#include "listgen/ImageHeader.h"

namespace htmlimglist {

bool ProbeWebp(ProbeSource&, ImageHeader&) { return false; }

}  // namespace htmlimglist
