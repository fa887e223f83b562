// Reads the orientation a camera records for a photo (TIFF tag 0x0112 in
// IFD0) from the data of a JPEG APP1 segment that starts "Exif\0\0". Works
// on bytes alone, so that the header probe, the tests and the fuzzer all
// feed it the same way.
//
// Layout of the data (after the segment's length field):
//   0  "Exif\0\0"
//   6  TIFF header: "II" (little-endian) or "MM" (big-endian), 42, offset of IFD0
//      IFD0 at 6 + offset: entry count, then 12-byte entries
//      (tag, type, count, value or value offset)
// Every offset is relative to the TIFF header and is checked against the
// segment's length before it is used. Only IFD0 is read and no link is
// followed, so offsets that point back at each other cannot make it loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "listgen/formats/ProbeSource.h"

namespace htmlimglist {

// True when data starts with the Exif identifier "Exif\0\0".
bool IsExifSegment(std::span<const uint8_t> data);

// What the first bytes of an Exif segment tell.
struct ExifOrientationLook {
    int orientation = 1;  // 1 to 8; 1 when the tag is missing or the data damaged
    bool settled = true;  // false: the answer lies in bytes past the ones given
};

// Looks at firstPart, the first bytes of an APP1 segment's data whose whole
// length is dataLength (the segment length less its two length bytes).
// Checks run against dataLength, so a damaged block is told apart from one
// that only needs more bytes; when not settled, call again with the whole
// data.
// Given the whole data, the answer is settled: 1 to 8, and 1 for anything
// that is not an intact Exif block with a sane orientation tag (a SHORT,
// count 1, value 1 to 8) in IFD0.
ExifOrientationLook LookForExifOrientation(std::span<const uint8_t> firstPart, std::size_t dataLength);

// The same for bare TIFF data (the header at offset 0), as PNG's eXIf chunk
// holds it.
ExifOrientationLook LookForTiffOrientation(std::span<const uint8_t> firstPart, std::size_t dataLength);

// Where the TIFF header of an EXIF block lies.
enum class ExifLayout {
    AfterIdentifier,  // after "Exif\0\0", as in a JPEG's APP1 segment
    Bare,             // at once, as in PNG's eXIf chunk
    EitherForm,       // either, as the block's first bytes say (WebP's EXIF chunk)
};

// The orientation in the EXIF block of length bytes at offset at. Reads the
// block's first KiB, where a camera's IFD0 lies, and only when IFD0 lies
// beyond, the block up to 64 KiB (a JPEG segment's most). 1 when the block is
// damaged, cut short by the file's end, or IFD0 lies past 64 KiB.
int ReadExifOrientation(ProbeSource& source, int64_t at, uint64_t length, ExifLayout layout);

// The orientation and, when asked for, the date taken, from one read of the
// block (two when what is asked lies past its first KiB). The date is
// DateTimeOriginal (tag 0x9003, in the Exif IFD that IFD0's tag 0x8769
// points to) as the camera wrote it: "YYYY:MM:DD HH:MM:SS", local time;
// empty when there is none, or it is not a date of that shape (all zeros,
// blanks, cut short).
struct ExifFacts {
    int orientation = 1;
    std::string dateTaken;
};
ExifFacts ReadExifFacts(ProbeSource& source, int64_t at, uint64_t length, ExifLayout layout, bool wantDate);

}  // namespace htmlimglist
