#include "gif/GIFStreamReading.h"

#include <cstring>

namespace htmlimglist::gifread {

std::vector<std::string> ReadSubBlockStrings(TGIFStream& stream) {
    std::vector<std::string> strings;
    uint8_t size = 0;
    while (ReadByte(stream, size) && size != 0) {
        char block[255];
        ReadExact(stream, block, size);
        strings.emplace_back(block, strnlen(block, size));
    }
    return strings;
}

void SkipSubBlocks(TGIFStream& stream) {
    uint8_t size = 0;
    while (ReadByte(stream, size) && size != 0) Skip(stream, size);
}

}  // namespace htmlimglist::gifread
