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

constexpr uint16_t kTypeAscii = 2;
constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kExifIfdTag = 0x8769;
constexpr uint16_t kDateTimeOriginalTag = 0x9003;
constexpr uint64_t kDateLength = 19;  // "YYYY:MM:DD HH:MM:SS"

// How far a walk through the block got.
enum class Walk {
    Found,      // the entry is there
    Missing,    // the block is whole and has no such entry
    NeedsMore,  // the answer lies in bytes past the ones given
    Damaged,    // an offset or count points outside the block
};

// A TIFF block that starts at tiffStart in the bytes given (6 for the data
// of an Exif segment, 0 for bare TIFF data) and is length bytes long in all,
// of which the first have are at hand. Every offset is checked against the
// length before it is used, and against what is at hand before it is read.
class TiffBlock {
public:
    TiffBlock(std::span<const uint8_t> firstPart, std::size_t dataLength, uint64_t tiffStart)
        : bytes_(firstPart.size() > dataLength ? firstPart.first(dataLength) : firstPart),
          length_(dataLength),
          tiffStart_(tiffStart) {}

    // Checks the header: the identifier, the byte order, 42.
    Walk Open() {
        if (length_ < tiffStart_ + kTiffHeaderSize) return Walk::Damaged;
        if (bytes_.size() < tiffStart_ + kTiffHeaderSize) return Walk::NeedsMore;
        if (tiffStart_ == kTiffStart && !IsExifSegment(bytes_)) return Walk::Damaged;
        const uint8_t* header = bytes_.data() + tiffStart_;
        if (header[0] == 'I' && header[1] == 'I') {
            bigEndian_ = false;
        } else if (header[0] == 'M' && header[1] == 'M') {
            bigEndian_ = true;
        } else {
            return Walk::Damaged;
        }
        return U16(tiffStart_ + 2) == kTiffMagic ? Walk::Found : Walk::Damaged;
    }

    // IFD0's offset from the TIFF header; after Open.
    uint64_t Ifd0() const { return U32(tiffStart_ + 4); }

    // The entry of tag in the IFD at ifd (from the TIFF header): where it
    // starts in the bytes. The IFD lies after the header and its entries
    // inside the block.
    Walk FindEntry(uint64_t ifd, uint16_t tag, uint64_t& entryAt) const {
        if (ifd < kTiffHeaderSize) return Walk::Damaged;
        const uint64_t countAt = tiffStart_ + ifd;
        if (countAt + kEntryCountSize > length_) return Walk::Damaged;
        if (countAt + kEntryCountSize > bytes_.size()) return Walk::NeedsMore;
        const uint64_t entries = U16(countAt);
        const uint64_t firstEntry = countAt + kEntryCountSize;
        if (firstEntry + entries * kEntrySize > length_) return Walk::Damaged;
        for (uint64_t i = 0; i < entries; ++i) {
            entryAt = firstEntry + i * kEntrySize;
            if (entryAt + kEntrySize > bytes_.size()) return Walk::NeedsMore;
            if (U16(entryAt) == tag) return Walk::Found;
        }
        return Walk::Missing;
    }

    uint16_t U16(uint64_t at) const { return uint16_t(Read16(bytes_.data() + at, bigEndian_)); }
    uint32_t U32(uint64_t at) const { return Read32(bytes_.data() + at, bigEndian_); }
    uint64_t TiffStart() const { return tiffStart_; }
    uint64_t Length() const { return length_; }
    std::span<const uint8_t> Bytes() const { return bytes_; }

private:
    std::span<const uint8_t> bytes_;
    uint64_t length_;
    uint64_t tiffStart_;
    bool bigEndian_ = false;
};

// The orientation entry's value when it is well formed, else 1.
int OrientationOfEntry(const TiffBlock& block, uint64_t entry) {
    const uint16_t type = block.U16(entry + 2);
    const uint32_t count = block.U32(entry + 4);
    if (type != kTypeShort || count != 1) return 1;
    // A SHORT that fits stands left-justified in the 4-byte value field.
    const uint16_t value = block.U16(entry + 8);
    return value >= 1 && value <= 8 ? int(value) : 1;
}

ExifOrientationLook LookForOrientation(std::span<const uint8_t> firstPart, std::size_t dataLength,
                                       uint64_t tiffStart) {
    TiffBlock block(firstPart, dataLength, tiffStart);
    Walk walk = block.Open();
    uint64_t entry = 0;
    if (walk == Walk::Found) walk = block.FindEntry(block.Ifd0(), kOrientationTag, entry);
    switch (walk) {
        case Walk::Found: return {OrientationOfEntry(block, entry), true};
        case Walk::NeedsMore: return {1, false};
        case Walk::Missing:
        case Walk::Damaged: break;
    }
    return {1, true};
}

// "YYYY:MM:DD HH:MM:SS" with digits where they belong and a date that is
// not all zeros (cameras write that, or blanks, when they do not know).
bool IsDateTime(std::string_view text) {
    static constexpr std::string_view kShape = "0000:00:00 00:00:00";
    if (text.size() != kShape.size()) return false;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == '0' ? !digit : text[i] != kShape[i]) return false;
    }
    return text.substr(0, 10) != "0000:00:00";
}

struct ExifDateLook {
    std::string dateTaken;
    bool settled = true;  // false: the answer lies in bytes past the ones given
};

// DateTimeOriginal, found through IFD0's pointer to the Exif IFD.
ExifDateLook LookForDate(std::span<const uint8_t> firstPart, std::size_t dataLength, uint64_t tiffStart) {
    TiffBlock block(firstPart, dataLength, tiffStart);
    uint64_t entry = 0;
    Walk walk = block.Open();
    if (walk == Walk::Found) walk = block.FindEntry(block.Ifd0(), kExifIfdTag, entry);
    if (walk == Walk::Found) {
        if (block.U16(entry + 2) != kTypeLong || block.U32(entry + 4) != 1) return {{}, true};
        walk = block.FindEntry(block.U32(entry + 8), kDateTimeOriginalTag, entry);
    }
    if (walk == Walk::NeedsMore) return {{}, false};
    if (walk != Walk::Found) return {{}, true};
    // An ASCII value of the date and its terminating zero lies elsewhere in
    // the block, at the offset its entry gives.
    if (block.U16(entry + 2) != kTypeAscii || block.U32(entry + 4) < kDateLength) return {{}, true};
    const uint64_t at = block.TiffStart() + block.U32(entry + 8);
    if (at + kDateLength > block.Length()) return {{}, true};
    if (at + kDateLength > block.Bytes().size()) return {{}, false};
    const std::string_view text(reinterpret_cast<const char*>(block.Bytes().data() + at), kDateLength);
    return {IsDateTime(text) ? std::string(text) : std::string(), true};
}

}  // namespace

bool IsExifSegment(std::span<const uint8_t> data) {
    return data.size() >= sizeof kExifIdentifier && std::memcmp(data.data(), kExifIdentifier, sizeof kExifIdentifier) == 0;
}

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

// What the bytes given settle of what is asked; false when more are needed.
bool Look(std::span<const uint8_t> bytes, std::size_t length, ExifLayout layout, bool wantDate, ExifFacts& facts) {
    if (layout == ExifLayout::EitherForm) layout = IsExifSegment(bytes) ? ExifLayout::AfterIdentifier : ExifLayout::Bare;
    const uint64_t tiffStart = layout == ExifLayout::AfterIdentifier ? kTiffStart : 0;
    const ExifOrientationLook orientation = LookForOrientation(bytes, length, tiffStart);
    facts.orientation = orientation.orientation;
    bool settled = orientation.settled;
    if (wantDate) {
        ExifDateLook date = LookForDate(bytes, length, tiffStart);
        facts.dateTaken = std::move(date.dateTaken);
        settled = settled && date.settled;
    }
    return settled;
}

}  // namespace

ExifFacts ReadExifFacts(ProbeSource& source, int64_t at, uint64_t length, ExifLayout layout, bool wantDate) {
    ExifFacts facts;
    uint8_t firstPart[kExifFirstPart];
    const std::size_t want = std::size_t(std::min<uint64_t>(length, sizeof firstPart));
    const std::size_t got = source.ReadAt(at, firstPart, want);
    if (Look(std::span(firstPart, got), std::size_t(length), layout, wantDate, facts) || got < want) return facts;
    std::vector<uint8_t> data(std::size_t(std::min<uint64_t>(length, kExifMostRead)));
    data.resize(source.ReadAt(at, data.data(), data.size()));
    // What is still not settled in 64 KiB counts as missing: upright, no
    // date (a look that needs more answers so).
    Look(data, std::size_t(length), layout, wantDate, facts);
    return facts;
}

int ReadExifOrientation(ProbeSource& source, int64_t at, uint64_t length, ExifLayout layout) {
    return ReadExifFacts(source, at, length, layout, false).orientation;
}

}  // namespace htmlimglist
