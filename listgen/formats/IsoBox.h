// The boxes of ISO base media files (MP4, MOV, HEIF, AVIF): a 32-bit
// big-endian size (1: a 64-bit size follows the type; 0: to the end of what
// holds the box), a four-character type, then the payload. One reader of box
// headers for every probe of such files, so each checks a box against its
// parent the same way.
#pragma once

#include <cstdint>

#include "listgen/formats/ByteOrder.h"

namespace htmlimglist {

constexpr uint32_t FourCc(const char (&code)[5]) {
    return uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 | uint32_t(uint8_t(code[2])) << 8 |
           uint8_t(code[3]);
}

struct IsoBox {
    uint32_t type = 0;    // 0: none found
    int64_t payload = 0;  // offset of the payload
    int64_t end = 0;      // offset just past the box

    bool Is(const char (&name)[5]) const { return type == FourCc(name); }
    int64_t PayloadSize() const { return end - payload; }
};

// The box whose header starts at `at` and that must end by `limit` (its
// parent's end, or the file's); read(offset, buffer, n) says whether all n
// bytes were read. False when the header cannot be read or the box does not
// fit.
template <class Read>
bool ReadIsoBox(Read&& read, int64_t at, int64_t limit, IsoBox& box) {
    uint8_t header[16];
    if (limit - at < 8 || !read(at, header, 8)) return false;
    uint64_t size = BigEndian32(header);
    int64_t headerSize = 8;
    if (size == 1) {
        if (limit - at < 16 || !read(at + 8, header + 8, 8)) return false;
        size = BigEndian64(header + 8);
        headerSize = 16;
    } else if (size == 0) {
        size = uint64_t(limit - at);
    }
    if (size < uint64_t(headerSize) || size > uint64_t(limit - at)) return false;
    box.type = BigEndian32(header + 4);
    box.payload = at + headerSize;
    box.end = at + int64_t(size);
    return true;
}

}  // namespace htmlimglist
