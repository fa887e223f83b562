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
ExifOrientationLook LookForExifOrientation(std::span<const uint8_t> firstPart, std::size_t dataLength);

// The same for bare TIFF data (the header at offset 0), as PNG's eXIf chunk
// holds it.
ExifOrientationLook LookForTiffOrientation(std::span<const uint8_t> firstPart, std::size_t dataLength);
int TiffOrientation(std::span<const uint8_t> data);

// The orientation from the whole data of an APP1 segment: 1 to 8, and 1
// for anything that is not an intact Exif block with a sane orientation
// tag (a SHORT, count 1, value 1 to 8) in IFD0.
int ExifOrientation(std::span<const uint8_t> data);

}  // namespace htmlimglist
