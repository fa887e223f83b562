#include "gif/GIFAppExtNSLoop.h"

#include "gif/GIFStreamReading.h"

namespace htmlimglist {

using namespace gifread;

namespace {
std::unique_ptr<TGIFExtension> Create(TGIFSubImage& frame) {
    return std::make_unique<TGIFAppExtNSLoop>(frame);
}

constexpr int kLoopBlockId = 1;
constexpr int kBufferBlockId = 2;
}  // namespace

const TGIFExtensionClass TGIFAppExtNSLoop::Class{"TGIFAppExtNSLoop", 0xFF, &Create,
                                                 &TGIFApplicationExtension::FindSubExtension};

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage& frame) : TGIFApplicationExtension(frame) {
    record_ = MakeApplicationRec("NETSCAPE2.0");
}

void TGIFAppExtNSLoop::LoadData(TGIFStream& stream) {
    uint8_t size = 0;
    while (ReadByte(stream, size) && size != 0) {
        uint8_t id = 0;
        ReadExact(stream, &id, 1);
        int used = 1;
        if ((id & 7) == kLoopBlockId) {
            if (size < 3) GIFError(gifmsg::kBadData);
            uint8_t loops[2];
            ReadExact(stream, loops, 2);
            loops_ = static_cast<uint16_t>(loops[0] | (loops[1] << 8));
            used += 2;
        } else if ((id & 7) == kBufferBlockId) {
            if (size < 5) GIFError(gifmsg::kBadData);
            uint8_t buffer[4];
            ReadExact(stream, buffer, 4);
            bufferSize_ = buffer[0] | (buffer[1] << 8) | (buffer[2] << 16) | (uint32_t{buffer[3]} << 24);
            used += 4;
        }
        Skip(stream, size - used);
    }
}

}  // namespace htmlimglist
