// The WebP header probe. A WebP file is a RIFF container:
//   0  "RIFF", size (32-bit little-endian: the bytes after these 8), "WEBP"
//  12  chunks: four-character code, 32-bit little-endian payload size,
//      payload, one pad byte when the size is odd
// The first chunk says what the file holds:
//   "VP8 "  a lossy picture: 3-byte frame tag, start code 9D 01 2A, then
//           width and height, 16 bits each, whose top 2 bits are a scale
//   "VP8L"  a lossless picture: signature 0x2F, then 14 bits width - 1,
//           14 bits height - 1, 1 bit alpha, 3 bits version (0)
//   "VP8X"  the extended format: flags, 3 reserved bytes, then canvas
//           width - 1 and height - 1, 24 bits each; ANIM, EXIF and other
//           chunks follow
// Every length is checked against what the file holds before it is used.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "listgen/ExifOrientation.h"
#include "listgen/ImageHeader.h"

namespace htmlimglist {
namespace {

constexpr int64_t kRiffHeaderSize = 12;   // "RIFF", size, "WEBP"
constexpr int64_t kChunkHeaderSize = 8;   // code, size
constexpr int64_t kVp8HeaderSize = 10;    // frame tag, start code, width, height
constexpr int64_t kVp8lHeaderSize = 5;    // signature, 32 bits of sizes, alpha and version
constexpr int64_t kVp8xPayloadSize = 10;  // flags, reserved, canvas width and height
constexpr uint8_t kVp8StartCode[3] = {0x9D, 0x01, 0x2A};
constexpr uint8_t kVp8lSignature = 0x2F;
// VP8X flags (first byte of its payload).
constexpr uint8_t kAnimationFlag = 0x02;
constexpr uint8_t kExifFlag = 0x08;
// Chunks walked after VP8X in search of the EXIF chunk, which writers put
// after the picture (after every frame of an animation). Each costs one
// small read; a file with more is probed without its orientation.
constexpr int kMaxChunksWalked = 65536;
// Bytes of an EXIF chunk read at first (IFD0 sits right after the TIFF
// header in practice), and the most read when IFD0 lies further in.
constexpr std::size_t kExifFirstPart = 1024;
constexpr std::size_t kMaxExifBytes = 64 * 1024;
constexpr uint8_t kExifIdentifier[6] = {'E', 'x', 'i', 'f', 0, 0};

uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Le24(const uint8_t* p) { return Le16(p) | uint32_t(p[2]) << 16; }
uint32_t Le32(const uint8_t* p) { return Le24(p) | uint32_t(p[3]) << 24; }

bool ReadExactly(ProbeSource& source, int64_t at, void* buffer, std::size_t n) {
    return source.ReadAt(at, buffer, n) == n;
}

struct Chunk {
    char code[4];
    int64_t payloadAt;  // offset of the payload
    int64_t size;       // payload bytes, without the pad byte
};

// The chunk whose header starts at offset; false when the header or the
// payload does not fit before end.
bool ReadChunk(ProbeSource& source, int64_t at, int64_t end, Chunk& chunk) {
    uint8_t header[kChunkHeaderSize];
    if (at + kChunkHeaderSize > end || !ReadExactly(source, at, header, sizeof header)) return false;
    std::memcpy(chunk.code, header, 4);
    chunk.payloadAt = at + kChunkHeaderSize;
    chunk.size = int64_t(Le32(header + 4));
    return chunk.size <= end - chunk.payloadAt;
}

bool Is(const Chunk& chunk, const char (&code)[5]) { return std::memcmp(chunk.code, code, 4) == 0; }

// A lossy frame header: a key frame (bit 0 of the tag clear) of a known
// profile, shown, whose first partition fits in the chunk, with the start
// code and a size that is not zero. libwebp asks the same of a file before
// it decodes it.
bool ReadVp8(ProbeSource& source, const Chunk& chunk, ImageHeader& header) {
    uint8_t frame[kVp8HeaderSize];
    if (chunk.size < kVp8HeaderSize || !ReadExactly(source, chunk.payloadAt, frame, sizeof frame)) return false;
    const uint32_t tag = Le24(frame);
    const bool keyFrame = (tag & 1) == 0;
    const uint32_t profile = (tag >> 1) & 7, shown = (tag >> 4) & 1, firstPartition = tag >> 5;
    if (!keyFrame || profile > 3 || !shown || int64_t(firstPartition) >= chunk.size) return false;
    if (std::memcmp(frame + 3, kVp8StartCode, sizeof kVp8StartCode) != 0) return false;
    header.width = int32_t(Le16(frame + 6) & 0x3FFF);  // the top 2 bits are the scale
    header.height = int32_t(Le16(frame + 8) & 0x3FFF);
    return header.width > 0 && header.height > 0;
}

bool ReadVp8l(ProbeSource& source, const Chunk& chunk, ImageHeader& header) {
    uint8_t head[kVp8lHeaderSize];
    if (chunk.size < kVp8lHeaderSize || !ReadExactly(source, chunk.payloadAt, head, sizeof head)) return false;
    if (head[0] != kVp8lSignature) return false;
    const uint32_t bits = Le32(head + 1);
    if ((bits >> 29) != 0) return false;  // version
    header.width = int32_t(bits & 0x3FFF) + 1;
    header.height = int32_t((bits >> 14) & 0x3FFF) + 1;
    return true;
}

// The orientation in an EXIF chunk: TIFF data, which some writers start
// with the identifier of a JPEG Exif segment. 1 when it is damaged.
int ReadExifChunk(ProbeSource& source, const Chunk& chunk) {
    const std::size_t length = std::size_t(chunk.size);
    uint8_t firstPart[kExifFirstPart];
    const std::size_t want = std::min(length, sizeof firstPart);
    if (!ReadExactly(source, chunk.payloadAt, firstPart, want)) return 1;
    const bool prefixed = want >= sizeof kExifIdentifier &&
                          std::memcmp(firstPart, kExifIdentifier, sizeof kExifIdentifier) == 0;
    auto look = [prefixed](std::span<const uint8_t> bytes, std::size_t dataLength) {
        return prefixed ? LookForExifOrientation(bytes, dataLength) : LookForTiffOrientation(bytes, dataLength);
    };
    const ExifOrientationLook first = look(std::span(firstPart, want), length);
    if (first.settled || length > kMaxExifBytes) return first.orientation;
    std::vector<uint8_t> whole(length);
    if (!ReadExactly(source, chunk.payloadAt, whole.data(), length)) return 1;
    const ExifOrientationLook all = look(whole, length);
    return all.settled ? all.orientation : 1;
}

// Walks the chunks after VP8X to the first EXIF chunk. A length that runs
// past the end stops the walk: the orientation is then left at 1, as for a
// damaged EXIF chunk, and the picture itself stays listed.
int FindExifOrientation(ProbeSource& source, int64_t at, int64_t end) {
    for (int walked = 0; walked < kMaxChunksWalked; ++walked) {
        Chunk chunk;
        if (!ReadChunk(source, at, end, chunk)) return 1;
        if (Is(chunk, "EXIF")) return ReadExifChunk(source, chunk);
        at = chunk.payloadAt + chunk.size + (chunk.size & 1);
    }
    return 1;
}

bool ReadVp8x(ProbeSource& source, const Chunk& chunk, int64_t end, ImageHeader& header) {
    uint8_t payload[kVp8xPayloadSize];
    // libwebp takes a VP8X chunk of exactly this size only.
    if (chunk.size != kVp8xPayloadSize || !ReadExactly(source, chunk.payloadAt, payload, sizeof payload)) return false;
    const uint8_t flags = payload[0];
    header.width = int32_t(Le24(payload + 4)) + 1;
    header.height = int32_t(Le24(payload + 7)) + 1;
    header.animated = (flags & kAnimationFlag) != 0;
    if ((flags & kExifFlag) != 0) header.orientation = FindExifOrientation(source, chunk.payloadAt + chunk.size, end);
    return true;
}

}  // namespace

bool ProbeWebp(ProbeSource& source, ImageHeader& header) {
    header = ImageHeader{};
    uint8_t riff[kRiffHeaderSize];
    if (!ReadExactly(source, 0, riff, sizeof riff)) return false;
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WEBP", 4) != 0) return false;
    // The RIFF size counts from "WEBP" on; bytes after it are not read.
    const int64_t end = 8 + int64_t(Le32(riff + 4));
    if (end > source.Size()) return false;
    Chunk first;
    if (!ReadChunk(source, kRiffHeaderSize, end, first)) return false;
    bool ok = false;
    if (Is(first, "VP8 ")) {
        ok = ReadVp8(source, first, header);
    } else if (Is(first, "VP8L")) {
        ok = ReadVp8l(source, first, header);
    } else if (Is(first, "VP8X")) {
        ok = ReadVp8x(source, first, end, header);
    }
    if (!ok) header = ImageHeader{};
    return ok;
}

}  // namespace htmlimglist
