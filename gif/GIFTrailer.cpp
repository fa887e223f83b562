#include "gif/GIFTrailer.h"

#include "gif/GIFException.h"
#include "gif/GIFStreamReading.h"

namespace htmlimglist {

void TGIFTrailer::LoadFromStream(TGIFStream& stream) {
    uint8_t b = 0;
    if (gifread::ReadByte(stream, b) && b != 0x3B) Warning(TGIFSeverity::gsWarning, gifmsg::kBadTrailer);
}

}  // namespace htmlimglist
