#include "listgen/formats/ChGetImgSize.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

#include "listgen/formats/ByteOrder.h"
#include "listgen/formats/Exif.h"
#include "listgen/formats/JpegTrailer.h"

namespace htmlimglist {
namespace {

// A read cursor over a ProbeSource with file-like semantics: seeking past the
// end is allowed (the next read then returns nothing), seeking before the
// start fails.
class Cursor {
public:
    explicit Cursor(ProbeSource& source) : source_(source) {}

    std::size_t Read(void* buffer, std::size_t n) {
        std::size_t got = source_.ReadAt(position_, buffer, n);
        position_ += int64_t(got);
        return got;
    }
    bool ReadExactly(void* buffer, std::size_t n) { return Read(buffer, n) == n; }
    bool SeekTo(int64_t offset) {
        if (offset < 0) return false;
        position_ = offset;
        return true;
    }
    bool SeekFromEnd(int64_t back) { return SeekTo(source_.Size() - back); }
    bool Skip(int64_t n) { return SeekTo(position_ + n); }
    int64_t Position() const { return position_; }
    ProbeSource& Source() { return source_; }

private:
    ProbeSource& source_;
    int64_t position_ = 0;
};

constexpr unsigned char kEndOfImage[2] = {0xFF, 0xD9};
constexpr unsigned char kStartOfImage[2] = {0xFF, 0xD8};
constexpr unsigned char kGifTrailer[2] = {0x00, 0x3B};
constexpr char kLoopExtension1[] = "\x21\xFF\x0BNETSCAPE2.0";
constexpr char kLoopExtension2[] = "\x21\xFF\x0B" "ANIMEXTS1.0";
constexpr int kLoopExtensionLength = 14;
constexpr int kGifSearchBytes = 1024;
constexpr int32_t kExifIdentifierLength = 6;  // "Exif\0\0"
// An APP2 segment holding part of an ICC profile: the identifier, the part's
// number and the count of parts, then the part.
constexpr unsigned char kIccIdentifier[] = "ICC_PROFILE";  // with its NUL
constexpr std::size_t kIccIdentifierLength = sizeof kIccIdentifier;
constexpr int64_t kIccPartHeader = kIccIdentifierLength + 2;
// With AcceptDeclaredTrailers, the bytes after the end-of-image marker are
// checked by reading at most this much at the start of the file (the XMP
// packet) and at its end.
constexpr int64_t kTrailerCheckBytes = 64 * 1024;

bool LastTwoBytesAre(Cursor& cursor, const unsigned char (&expected)[2]) {
    unsigned char tail[2];
    return cursor.SeekFromEnd(2) && cursor.ReadExactly(tail, 2) && std::memcmp(tail, expected, 2) == 0;
}

// The parts of an ICC profile in APP2 segments, each with its number and
// the count of parts. libjpeg puts them together only when every number from
// 1 to the count is there once and they hold some bytes; so does this.
struct IccParts {
    int count = 0;
    std::bitset<256> seen;
    int64_t bytes = 0;
    bool broken = false;

    void Add(int number, int total, int64_t partBytes) {
        if (total == 0 || number == 0 || number > total || (count != 0 && total != count) || seen[number]) {
            broken = true;
            return;
        }
        count = total;
        seen.set(std::size_t(number));
        bytes += partBytes;
    }
    int64_t ProfileBytes() const { return !broken && count > 0 && int(seen.count()) == count ? bytes : 0; }
};

// Segments walked after the frame header up to the first scan, for profile
// parts written there.
constexpr int kMaxSegmentsAfterFrame = 64;

// What the marker walk found besides the header fields: the profile's
// parts, and for the check of bytes after the end-of-image marker, the XMP
// packet and the frame header's end.
struct JpegWalk {
    IccParts icc;           // APP2 ICC_PROFILE segments before the first scan
    bool wantXmp = false;   // look for the XMP segment
    int64_t xmpAt = -1;     // where the first XMP packet starts, -1: none
    int64_t xmpLength = 0;  // its length up to the end of its segment
    int64_t frameEnd = 0;   // just past the frame header's fields that were read
};

// At an APP2 segment's length field: counts its ICC profile part, if it
// holds one, and leaves the cursor where it was.
bool CountIccPart(Cursor& cursor, IccParts& icc) {
    const int64_t at = cursor.Position();
    unsigned char head[2 + kIccPartHeader];  // length, identifier, number, count
    if (!cursor.ReadExactly(head, sizeof head)) return false;
    const int64_t dataLength = int64_t(BigEndian16(head)) - 2;
    if (dataLength >= kIccPartHeader && std::memcmp(head + 2, kIccIdentifier, kIccIdentifierLength) == 0)
        icc.Add(head[2 + kIccIdentifierLength], head[3 + kIccIdentifierLength], dataLength - kIccPartHeader);
    return cursor.SeekTo(at);
}

// After the frame header, up to the first scan: libjpeg reads profile parts
// there too. Anything unexpected ends the walk; the probe's answer stands.
void CountIccPartsBeforeScan(Cursor& cursor, JpegWalk& walk) {
    for (int walked = 0; walked < kMaxSegmentsAfterFrame; ++walked) {
        unsigned char marker[2], length[2];
        if (!cursor.ReadExactly(marker, 2) || marker[0] != 0xFF || marker[1] == 0xDA) return;
        if (marker[1] == 0xE2 && !CountIccPart(cursor, walk.icc)) return;
        if (!cursor.ReadExactly(length, 2) || BigEndian16(length) < 2 || !cursor.Skip(BigEndian16(length) - 2)) return;
    }
}

// Walks the segments from SOI to the first SOF0/SOF1/SOF2. Every other marker
// (SOI, RSTn and the other frame headers included) is taken to carry a length,
// so a lossless or arithmetic-coded file is walked into its scan data and
// ends there with false. The first APP1 that carries Exif data gives the
// orientation; later ones are ignored.
bool ScanJpegMarkers(Cursor& cursor, char (&jpegType)[20], int32_t& width, int32_t& height, int& orientation,
                     std::string* dateTaken, JpegWalk& walk) {
    unsigned char soi[2];
    if (!cursor.SeekTo(0) || !cursor.ReadExactly(soi, 2) || std::memcmp(soi, kStartOfImage, 2) != 0) return false;
    jpegType[0] = '\0';
    bool exifSeen = false;

    for (;;) {
        unsigned char marker[2];
        if (!cursor.ReadExactly(marker, 2) || marker[0] != 0xFF) return false;
        switch (marker[1]) {
            case 0xE0:  // APP0
            case 0xE1: {  // APP1: remember its identifier, then skip it
                int64_t at = cursor.Position();
                unsigned char head[10];
                if (!cursor.ReadExactly(head, 10)) return false;
                std::size_t n = 0;
                while (n < 8 && head[2 + n] != 0) ++n;
                std::memcpy(jpegType, head + 2, n);
                jpegType[n] = '\0';
                // The identifier must lie inside the segment to count.
                const int32_t dataLength = int32_t(BigEndian16(head)) - 2;
                if (marker[1] == 0xE1 && !exifSeen && dataLength >= kExifIdentifierLength &&
                    IsExifSegment(std::span(head + 2, 8))) {
                    exifSeen = true;
                    ExifFacts facts = ReadExifFacts(cursor.Source(), at + 2, uint64_t(dataLength),
                                                    ExifLayout::AfterIdentifier, dateTaken != nullptr);
                    orientation = facts.orientation;
                    if (dateTaken != nullptr) *dateTaken = std::move(facts.dateTaken);
                }
                if (marker[1] == 0xE1 && walk.wantXmp && walk.xmpAt < 0 &&
                    dataLength >= int32_t(kXmpIdentifierLength) && std::memcmp(head + 2, kXmpIdentifier, 8) == 0) {
                    unsigned char identifier[kXmpIdentifierLength];
                    if (!cursor.SeekTo(at + 2) || !cursor.ReadExactly(identifier, sizeof identifier)) return false;
                    if (std::memcmp(identifier, kXmpIdentifier, kXmpIdentifierLength) == 0) {
                        walk.xmpAt = at + 2 + int64_t(kXmpIdentifierLength);
                        walk.xmpLength = dataLength - int64_t(kXmpIdentifierLength);
                    }
                }
                if (!cursor.SeekTo(at)) return false;
                break;
            }
            case 0xE2:  // APP2: perhaps a part of an ICC profile
                if (!CountIccPart(cursor, walk.icc)) return false;
                break;
            case 0xC0:  // SOF0 baseline
            case 0xC1:  // SOF1 extended sequential
            case 0xC2: {  // SOF2 progressive
                unsigned char frame[7];  // length, precision, height, width
                if (!cursor.ReadExactly(frame, 7)) return false;
                walk.frameEnd = cursor.Position();
                height = int32_t(BigEndian16(frame + 3));
                width = int32_t(BigEndian16(frame + 5));
                if (marker[1] == 0xC1) std::strcat(jpegType, "1");
                if (marker[1] == 0xC2) std::strcat(jpegType, "2");
                if (cursor.SeekTo(walk.frameEnd - 7 + int64_t(BigEndian16(frame)))) CountIccPartsBeforeScan(cursor, walk);
                return true;
            }
            default:
                break;
        }
        unsigned char length[2];
        if (!cursor.ReadExactly(length, 2)) return false;
        const int32_t segmentLength = int32_t(BigEndian16(length));
        if (segmentLength < 2 || !cursor.Skip(segmentLength - 2)) return false;
    }
}

// True when the JPEG part of the file, which the metadata or the trailer
// says ends at `end`, ends there with its end-of-image marker, after its
// frame header. Entropy-coded data stuffs every FF with 00, so FF D9 after
// the frame header is the end of the image, not a chance pair of bytes.
bool JpegPartEndsAt(ProbeSource& source, const JpegWalk& walk, int64_t end) {
    unsigned char marker[2];
    return end - 2 >= walk.frameEnd && end <= source.Size() && source.ReadAt(end - 2, marker, 2) == 2 &&
           std::memcmp(marker, kEndOfImage, 2) == 0;
}

// The bytes after the JPEG part of a file that does not end with FF D9 are
// accounted for: by the XMP packet (a motion photo's video, a gain map), by
// a SEF trailer, or as padding. Reads the XMP packet as far as it lies in
// the first kTrailerCheckBytes of the file, the last kTrailerCheckBytes, and
// the two bytes where the XMP packet says the JPEG part ends.
bool TrailerIsAccountedFor(ProbeSource& source, const JpegWalk& walk) {
    const int64_t size = source.Size();
    std::vector<uint8_t> bytes;
    if (walk.xmpAt >= 0 && walk.xmpAt < kTrailerCheckBytes) {
        bytes.resize(std::size_t(std::min(walk.xmpLength, kTrailerCheckBytes - walk.xmpAt)));
        bytes.resize(source.ReadAt(walk.xmpAt, bytes.data(), bytes.size()));
        const XmpTrailerLengths declared = ReadXmpTrailerLengths(bytes);
        for (const int64_t length : {declared.microVideo, declared.directory}) {
            if (length > 0 && length < size && JpegPartEndsAt(source, walk, size - length)) return true;
        }
    }
    bytes.resize(std::size_t(std::min(size, kTrailerCheckBytes)));
    if (source.ReadAt(size - int64_t(bytes.size()), bytes.data(), bytes.size()) != bytes.size()) return false;
    const int64_t sefStart = SefDataStart(bytes, size);
    if (sefStart >= 0 && JpegPartEndsAt(source, walk, sefStart)) return true;
    const int64_t paddingStart = PaddingStart(bytes, size);
    return paddingStart >= 0 && paddingStart - 2 >= walk.frameEnd;
}

}  // namespace

bool ChGetImgSize::GetJpegSize(ProbeSource& source, int32_t& width, int32_t& height) {
    AnimationId[0] = '\0';
    Orientation = 1;
    IccProfileBytes = 0;
    Cursor cursor(source);
    const bool ended = LastTwoBytesAre(cursor, kEndOfImage);
    if (!ended && !AcceptDeclaredTrailers) return false;
    JpegWalk walk;
    walk.wantXmp = !ended;
    DateTaken.clear();
    if (!ScanJpegMarkers(cursor, JpegType, width, height, Orientation, ReadDateTaken ? &DateTaken : nullptr, walk))
        return false;
    IccProfileBytes = walk.icc.ProfileBytes();
    return ended || TrailerIsAccountedFor(source, walk);
}

bool ChGetImgSize::GetGifSize(ProbeSource& source, int32_t& width, int32_t& height) {
    Cursor cursor(source);
    AnimationId[0] = '\0';
    Orientation = 1;
    unsigned char head[10];
    if (!cursor.ReadExactly(head, 10) || std::memcmp(head, "GIF", 3) != 0) return false;
    std::memcpy(GifVersion, head, 6);
    GifVersion[6] = '\0';
    width = int32_t(LittleEndian16(head + 6));
    height = int32_t(LittleEndian16(head + 8));

    // The loop extension is looked for only near the start; the bound keeps
    // the last 14 bytes read out of the search.
    unsigned char rest[kGifSearchBytes];
    int n = int(cursor.Read(rest, sizeof rest));
    for (int i = 0; i < n - kLoopExtensionLength; ++i) {
        if (std::memcmp(rest + i, kLoopExtension1, kLoopExtensionLength) == 0 ||
            std::memcmp(rest + i, kLoopExtension2, kLoopExtensionLength) == 0) {
            std::memcpy(AnimationId, rest + i + 3, 11);
            AnimationId[11] = '\0';
            break;
        }
    }
    return LastTwoBytesAre(cursor, kGifTrailer);
}

bool ChGetImgSize::GetJpegSize(const std::string& fileName, int32_t& width, int32_t& height) {
    AnimationId[0] = '\0';
    Orientation = 1;
    FileProbeSource file;
    if (!file.Open(fileName)) return false;
    return GetJpegSize(file, width, height);
}

bool ChGetImgSize::GetGifSize(const std::string& fileName, int32_t& width, int32_t& height) {
    Orientation = 1;
    FileProbeSource file;
    if (!file.Open(fileName)) return false;
    return GetGifSize(file, width, height);
}

}  // namespace htmlimglist
