// Tiny image files built in code: just the bytes the header probe reads.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "listgen/RunMessage.h"

namespace htmlimglist::test {

// A run message as tests compare it: the identifier's name, then a blank
// and the argument when there is one ("SaveFailed /x/a.jpg").
std::string MessageKey(const RunMessage& message);


// A table page as this tool writes it for the folder named folderName: its
// frame, its folder line, then the lines given (CR LF after each).
std::string ToolPage(const std::string& folderName, std::initializer_list<std::string> lines = {});

// A JPEG stream from segments; each helper returns the bytes of one segment.
std::string JpegSoi();
std::string JpegEoi();
// APPn (0 or 1) segment whose data starts with identifier (zero-terminated
// in the file when shorter than 8 bytes) followed by filler.
std::string JpegApp(int n, const std::string& identifier);
// Start-of-frame segment with marker 0xC0 + sofIndex.
std::string JpegSof(int sofIndex, int width, int height);
// Any segment: marker byte and payload (length field computed).
std::string JpegSegment(uint8_t marker, const std::string& payload);

// SOI, APP0 "JFIF", SOF0 with the size, a few scan bytes, EOI.
std::string SmallJpeg(int width, int height);

// The data of an Exif APP1 segment: identifier, TIFF header, IFD0 with the
// orientation tag among filler entries, as a camera writes it. The fields
// below the first three break it on purpose.
struct ExifRecipe {
    bool bigEndian = false;      // "MM" instead of "II"
    int orientation = 1;         // value of tag 0x0112
    int tagIndex = 2;            // the tag's place among IFD0's entries; -1 leaves it out
    int entries = 5;             // IFD0's entries in all (the others are ASCII filler tags)
    int type = 3;                // the tag's type (3 SHORT, 4 LONG: written as a LONG)
    uint32_t count = 1;          // the tag's count
    std::size_t gapBeforeIfd0 = 0;  // filler between the TIFF header and IFD0
    int64_t ifd0Offset = -1;     // written IFD0 offset; -1: where IFD0 really is
    int64_t entryCount = -1;     // written entry count; -1: entries
    uint32_t nextIfd = 0;        // IFD0's link to the next IFD (0: none)
    std::size_t trailing = 0;    // bytes after IFD0, like a camera's sub-IFDs and thumbnail
    // DateTimeOriginal, in an Exif IFD after the trailing bytes (and this
    // gap) that a last IFD0 entry points to; empty: no Exif IFD.
    std::string dateTaken{};
    std::size_t gapBeforeExifIfd = 0;
    std::string identifier = std::string("Exif\0\0", 6);
};
std::string ExifData(const ExifRecipe& recipe);
// The same data as an APP1 segment.
std::string ExifApp1(const ExifRecipe& recipe);
// jpeg with segment inserted right after its SOI.
std::string InsertAfterSoi(const std::string& jpeg, const std::string& segment);
// SmallJpeg with an Exif APP1 carrying the orientation.
std::string SmallExifJpeg(int width, int height, int orientation);

// A GIF header (signature, screen size, no colour table) followed by body
// and the trailer 00 3B.
std::string SmallGif(int width, int height, const std::string& body = "", const std::string& version = "GIF89a");
// The 19-byte application extension of a looping GIF.
std::string LoopExtension(const std::string& id = "NETSCAPE2.0");

// JPEGs with bytes after their end-of-image marker (MoreImageTypes).
// An APP1 segment holding an XMP packet.
std::string XmpApp1(const std::string& packet);
// An XMP packet as a phone writes it: rdf:Description binds the GCamera,
// Container and Item prefixes and holds attributes (in its start tag) and
// body (as its content).
std::string XmpPacket(const std::string& attributes, const std::string& body = "");
// A Container:Directory: the primary image, then one item per length ("":
// an item without Item:Length), each length written as an attribute.
std::string ContainerDirectory(std::initializer_list<std::string> lengths);
// Samsung's trailer: the blocks one after another (each: two zero bytes,
// its type, its name's length, its name, its data), then the SEFH directory
// listing them, its length and "SEFT". firstBackChange is added to the
// first entry's distance back from the directory.
struct SefBlock {
    uint16_t type;
    std::string name;
    std::string data;
};
std::string SefTrailer(std::initializer_list<SefBlock> blocks, int64_t firstBackChange = 0);

}  // namespace htmlimglist::test
