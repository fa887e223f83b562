// The PNG header probe: the signature, IHDR as the first chunk, then a walk
// over the chunk headers up to the first IDAT for the animation control
// (acTL) and EXIF (eXIf) chunks. Only chunk headers and the data of IHDR and
// eXIf are read; every other chunk is stepped over by its length.
//
// Layout: 8-byte signature, then chunks of
//   length (4 bytes, big-endian, at most 2^31 - 1), type (4 ASCII letters),
//   data (length bytes), CRC (4 bytes).
// IHDR's data: width (4), height (4), bit depth, colour type, compression,
// filter, interlace (1 byte each).
#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "listgen/ExifOrientation.h"
#include "listgen/ImageHeader.h"

namespace htmlimglist {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int64_t kChunkHeader = 8;  // length and type
constexpr int64_t kChunkCrc = 4;
constexpr uint32_t kIhdrLength = 13;
constexpr uint32_t kMaxLength = 0x7FFFFFFF;
// Chunks walked before the first IDAT. Real files have a handful (text,
// colour profile, physical size); past this many the walk stops and the
// picture is taken as still and unturned, so a file of millions of tiny
// chunks costs a few reads.
constexpr int kMaxChunksWalked = 1000;
// eXIf data read for the orientation: the first window, then at most this
// much when IFD0 lies further in (a JPEG's Exif segment is never larger).
constexpr std::size_t kFirstExifBytes = 4096;
constexpr std::size_t kMaxExifBytes = 65536;

uint32_t BigEndian32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

bool IsLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Which colour types allow which bit depths.
bool SaneDepth(uint8_t depth, uint8_t colourType) {
    switch (colourType) {
        case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;  // grey
        case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;                 // palette
        case 2: case 4: case 6: return depth == 8 || depth == 16;  // RGB, grey + alpha, RGBA
        default: return false;
    }
}

int OrientationOfExif(ProbeSource& source, int64_t dataAt, uint32_t length) {
    if (length == 0) return 1;  // nothing to read, nor to read into
    std::vector<uint8_t> data(std::min<std::size_t>(length, kFirstExifBytes));
    if (source.ReadAt(dataAt, data.data(), data.size()) != data.size()) return 1;
    ExifOrientationLook look = LookForTiffOrientation(data, length);
    if (look.settled) return look.orientation;
    data.resize(std::min<std::size_t>(length, kMaxExifBytes));
    if (source.ReadAt(dataAt, data.data(), data.size()) != data.size()) return 1;
    look = LookForTiffOrientation(data, length);
    return look.settled ? look.orientation : 1;
}

}  // namespace

bool ProbePng(ProbeSource& source, ImageHeader& header) {
    header = ImageHeader{};
    const int64_t size = source.Size();
    uint8_t head[sizeof kSignature + kChunkHeader + kIhdrLength];
    if (size < int64_t(sizeof head) + kChunkCrc) return false;
    if (source.ReadAt(0, head, sizeof head) != sizeof head) return false;
    if (std::memcmp(head, kSignature, sizeof kSignature) != 0) return false;
    const uint8_t* ihdr = head + sizeof kSignature;
    if (BigEndian32(ihdr) != kIhdrLength || std::memcmp(ihdr + 4, "IHDR", 4) != 0) return false;
    const uint8_t* fields = ihdr + kChunkHeader;
    const uint32_t width = BigEndian32(fields), height = BigEndian32(fields + 4);
    if (width < 1 || width > kMaxLength || height < 1 || height > kMaxLength) return false;
    if (!SaneDepth(fields[8], fields[9]) || fields[10] != 0 || fields[11] != 0 || fields[12] > 1) return false;

    bool animated = false;
    int orientation = 1;
    bool exifSeen = false;
    int64_t at = int64_t(sizeof head) + kChunkCrc;
    for (int walked = 0; walked < kMaxChunksWalked; ++walked) {
        uint8_t chunk[kChunkHeader];
        if (at + kChunkHeader > size || source.ReadAt(at, chunk, sizeof chunk) != sizeof chunk) return false;
        const uint32_t length = BigEndian32(chunk);
        const uint8_t* type = chunk + 4;
        if (length > kMaxLength || !std::all_of(type, type + 4, IsLetter)) return false;
        if (at + kChunkHeader + int64_t(length) + kChunkCrc > size) return false;
        if (std::memcmp(type, "IDAT", 4) == 0) break;
        // An end before any picture data: nothing to show.
        if (std::memcmp(type, "IEND", 4) == 0) return false;
        if (std::memcmp(type, "acTL", 4) == 0) animated = true;
        if (std::memcmp(type, "eXIf", 4) == 0 && !exifSeen) {
            exifSeen = true;
            orientation = OrientationOfExif(source, at + kChunkHeader, length);
        }
        at += kChunkHeader + int64_t(length) + kChunkCrc;
    }
    header.width = int32_t(width);
    header.height = int32_t(height);
    header.animated = animated;
    header.orientation = orientation;
    return true;
}

}  // namespace htmlimglist
