#include "gif/GIFHeader.h"

#include <cctype>

#include "gif/GIFStreamReading.h"

namespace htmlimglist {

using namespace gifread;

namespace {
bool IsSignature(const TGIFVersionRec& rec) {
    return std::toupper(static_cast<unsigned char>(rec.Signature[0])) == 'G' &&
           std::toupper(static_cast<unsigned char>(rec.Signature[1])) == 'I' &&
           std::toupper(static_cast<unsigned char>(rec.Signature[2])) == 'F';
}
}  // namespace

void TGIFHeader::Clear() {
    colorMap_.Clear();
    screen_ = TScreenDescriptor{};
}

void TGIFHeader::RecomputePackedFields() {
    screen_.PackedFields &= 0x70;  // keep the colour resolution
    if (colorMap_.Count() > 0)
        screen_.PackedFields |= 0x80 | static_cast<uint8_t>(colorMap_.GetBitsPerPixel() - 1);
}

void TGIFHeader::LoadFromStream(TGIFStream& stream) {
    int64_t start = stream.Position();
    TGIFVersionRec version{};
    ReadExact(stream, &version, sizeof version);
    if (!IsSignature(version)) {
        // Files saved with a 4-byte prefix (as some tools did) still load.
        stream.Seek(start + 4, TSeekOrigin::Beginning);
        ReadExact(stream, &version, sizeof version);
        if (!IsSignature(version)) GIFError(gifmsg::kBadSignature);
    }
    ReadExact(stream, &screen_, sizeof screen_);
    if (int64_t{screen_.Width} * screen_.Height > kMaxImagePixels) GIFError(gifmsg::kBadDimensions);
    if (screen_.PackedFields & 0x80) {
        int count = 2 << (screen_.PackedFields & 7);
        if (count < 2 || count > 256) GIFError(gifmsg::kScreenColors);
        colorMap_.LoadFromStream(stream, count);
    } else {
        colorMap_.Clear();
    }
}

}  // namespace htmlimglist
