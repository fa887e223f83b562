// The registry's entries, one per format; each is defined beside its
// format's probe and decoder.
#pragma once

#include "listgen/formats/ImageFormat.h"

namespace htmlimglist {

const ImageFormat& JpegFormat();
const ImageFormat& GifFormat();
const ImageFormat& PngFormat();
const ImageFormat& WebpFormat();
const ImageFormat& VideoFormat();

}  // namespace htmlimglist
