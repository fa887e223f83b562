// Bytes after a JPEG's end-of-image marker that the file accounts for
// itself: media that its XMP packet lists (a motion photo's video, an HDR
// gain map), a Samsung SEF trailer (a motion photo's video and a few small
// records), or padding of 0x00 and 0xFF bytes. Each function works on bytes
// already read; the header probe decides which bytes to read, and checks
// that the JPEG part really ends with FF D9 where these say it ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace htmlimglist {

// The data of the APP1 segment that holds a file's XMP packet starts with
// this identifier and its terminating zero; the packet follows.
inline constexpr char kXmpIdentifier[] = "http://ns.adobe.com/xap/1.0/";
inline constexpr std::size_t kXmpIdentifierLength = sizeof kXmpIdentifier;  // with the zero

// What an XMP packet says about media appended to the primary image. Each
// is the number of bytes at the end of the file that are not the primary
// image, or -1 when the packet says nothing usable.
struct XmpTrailerLengths {
    // GCamera:MicroVideoOffset: the video's length, counted from the end of
    // the file.
    int64_t microVideo = -1;
    // Container:Directory: the sum of Item:Length over the items after the
    // first one (the primary image). -1 when the directory is not closed,
    // lists no appended item, or an appended item has no length or a
    // negative one.
    int64_t directory = -1;
};

// Reads the packet as RDF/XML, tolerating what phones write: properties as
// attributes or as elements, any prefix bound to the right namespace (and
// the usual prefixes when they are not bound at all), unknown markup
// skipped. Linear in the packet's length, with no allocation; stops at the
// first malformed tag and keeps only what was settled before it.
XmpTrailerLengths ReadXmpTrailerLengths(std::span<const uint8_t> packet);

// The last bytes of a file: tail ends at the end of the file, which is
// fileSize bytes long.
//
// Where the data listed by the SEF directory that ends the file begins, that
// is, where the JPEG part must end: the file ends with the directory's
// length and "SEFT", the directory starts with "SEFH", a version and an
// entry count, and each 12-byte entry gives a type, how far back from the
// directory's start its data begins, and its length. -1 unless the whole
// directory lies in tail and every entry's data lies between the start of
// the file and the directory.
int64_t SefDataStart(std::span<const uint8_t> tail, int64_t fileSize);

// Where the trailing run of 0x00 and 0xFF bytes begins when the bytes before
// it end with FF D9 (fileSize when there is no such run); -1 when they do
// not, or when the run fills the whole tail.
int64_t PaddingStart(std::span<const uint8_t> tail, int64_t fileSize);

}  // namespace htmlimglist
