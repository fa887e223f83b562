#include "listgen/formats/Exif.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "listgen/formats/ByteOrder.h"

namespace htmlimglist {
namespace {

constexpr uint8_t kExifIdentifier[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint64_t kTiffStart = sizeof kExifIdentifier;  // the TIFF header follows the identifier
constexpr uint64_t kTiffHeaderSize = 8;                  // byte order, 42, IFD0 offset
constexpr uint16_t kTiffMagic = 42;
constexpr uint64_t kEntryCountSize = 2;
constexpr uint64_t kEntrySize = 12;
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;

// Reads TIFF numbers in the block's byte order. Offsets are taken from the
// start of the segment data; callers check them first.
class TiffNumbers {
public:
    TiffNumbers(std::span<const uint8_t> bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}

    uint16_t U16(uint64_t at) const { return uint16_t(Read16(bytes_.data() + at, bigEndian_)); }
    uint32_t U32(uint64_t at) const { return Read32(bytes_.data() + at, bigEndian_); }

private:
    std::span<const uint8_t> bytes_;
    bool bigEndian_;
};

constexpr ExifOrientationLook kDamaged{1, true};
constexpr ExifOrientationLook kNeedsMore{1, false};

// The orientation entry's value when it is well formed, else 1.
int OrientationOfEntry(const TiffNumbers& numbers, uint64_t entry) {
    const uint16_t type = numbers.U16(entry + 2);
    const uint32_t count = numbers.U32(entry + 4);
    if (type != kTypeShort || count != 1) return 1;
    // A SHORT that fits stands left-justified in the 4-byte value field.
    const uint16_t value = numbers.U16(entry + 8);
    return value >= 1 && value <= 8 ? int(value) : 1;
}

}  // namespace

bool IsExifSegment(std::span<const uint8_t> data) {
    return data.size() >= sizeof kExifIdentifier && std::memcmp(data.data(), kExifIdentifier, sizeof kExifIdentifier) == 0;
}

namespace {

// The walk itself, for TIFF data that starts at tiffStart in the bytes
// given: 6 for the data of an Exif segment, 0 for bare TIFF data.
ExifOrientationLook LookForOrientation(std::span<const uint8_t> firstPart, std::size_t dataLength,
                                       uint64_t tiffStart) {
    if (firstPart.size() > dataLength) firstPart = firstPart.first(dataLength);
    const uint64_t have = firstPart.size();
    const uint64_t length = dataLength;
    if (length < tiffStart + kTiffHeaderSize) return kDamaged;
    if (have < tiffStart + kTiffHeaderSize) return kNeedsMore;
    if (tiffStart == kTiffStart && !IsExifSegment(firstPart)) return kDamaged;

    const uint8_t* header = firstPart.data() + tiffStart;
    bool bigEndian;
    if (header[0] == 'I' && header[1] == 'I') {
        bigEndian = false;
    } else if (header[0] == 'M' && header[1] == 'M') {
        bigEndian = true;
    } else {
        return kDamaged;
    }
    const TiffNumbers numbers(firstPart, bigEndian);
    if (numbers.U16(tiffStart + 2) != kTiffMagic) return kDamaged;

    // IFD0 lies after the header and its entry count inside the segment.
    const uint64_t ifd0 = numbers.U32(tiffStart + 4);
    if (ifd0 < kTiffHeaderSize) return kDamaged;
    const uint64_t countAt = tiffStart + ifd0;
    if (countAt + kEntryCountSize > length) return kDamaged;
    if (countAt + kEntryCountSize > have) return kNeedsMore;
    const uint64_t entries = numbers.U16(countAt);
    const uint64_t firstEntry = countAt + kEntryCountSize;
    if (firstEntry + entries * kEntrySize > length) return kDamaged;

    for (uint64_t i = 0; i < entries; ++i) {
        const uint64_t entry = firstEntry + i * kEntrySize;
        if (entry + kEntrySize > have) return kNeedsMore;
        if (numbers.U16(entry) == kOrientationTag) return {OrientationOfEntry(numbers, entry), true};
    }
    return {1, true};
}

}  // namespace

ExifOrientationLook LookForExifOrientation(std::span<const uint8_t> firstPart, std::size_t dataLength) {
    return LookForOrientation(firstPart, dataLength, kTiffStart);
}

ExifOrientationLook LookForTiffOrientation(std::span<const uint8_t> firstPart, std::size_t dataLength) {
    return LookForOrientation(firstPart, dataLength, 0);
}

namespace {

// Bytes of an EXIF block read at first, and the most read in all.
constexpr std::size_t kExifFirstPart = 1024;
constexpr std::size_t kExifMostRead = 64 * 1024;

ExifOrientationLook Look(std::span<const uint8_t> bytes, std::size_t length, ExifLayout layout) {
    if (layout == ExifLayout::EitherForm) layout = IsExifSegment(bytes) ? ExifLayout::AfterIdentifier : ExifLayout::Bare;
    return layout == ExifLayout::AfterIdentifier ? LookForExifOrientation(bytes, length)
                                                 : LookForTiffOrientation(bytes, length);
}

}  // namespace

int ReadExifOrientation(ProbeSource& source, int64_t at, uint64_t length, ExifLayout layout) {
    uint8_t firstPart[kExifFirstPart];
    const std::size_t want = std::size_t(std::min<uint64_t>(length, sizeof firstPart));
    const std::size_t got = source.ReadAt(at, firstPart, want);
    const ExifOrientationLook first = Look(std::span(firstPart, got), std::size_t(length), layout);
    if (first.settled || got < want) return first.orientation;
    std::vector<uint8_t> data(std::size_t(std::min<uint64_t>(length, kExifMostRead)));
    data.resize(source.ReadAt(at, data.data(), data.size()));
    const ExifOrientationLook whole = Look(data, std::size_t(length), layout);
    return whole.settled ? whole.orientation : 1;
}

}  // namespace htmlimglist
