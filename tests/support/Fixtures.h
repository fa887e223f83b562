// Tiny image files built in code: just the bytes the header probe reads.
#pragma once

#include <cstdint>
#include <string>

namespace htmlimglist::test {

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

// A GIF header (signature, screen size, no colour table) followed by body
// and the trailer 00 3B.
std::string SmallGif(int width, int height, const std::string& body = "", const std::string& version = "GIF89a");
// The 19-byte application extension of a looping GIF.
std::string LoopExtension(const std::string& id = "NETSCAPE2.0");

}  // namespace htmlimglist::test
