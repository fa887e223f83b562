#include "support/Fixtures.h"

namespace htmlimglist::test {
namespace {

std::string BigEndian16(int v) { return {char((v >> 8) & 0xFF), char(v & 0xFF)}; }
std::string LittleEndian16(int v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }

}  // namespace

std::string JpegSoi() { return "\xFF\xD8"; }
std::string JpegEoi() { return "\xFF\xD9"; }

std::string JpegSegment(uint8_t marker, const std::string& payload) {
    return std::string("\xFF") + char(marker) + BigEndian16(int(payload.size()) + 2) + payload;
}

std::string JpegApp(int n, const std::string& identifier) {
    std::string data = identifier;
    if (data.size() < 8) data += '\0';
    data += std::string(8, 'x');
    return JpegSegment(uint8_t(0xE0 + n), data);
}

std::string JpegSof(int sofIndex, int width, int height) {
    // precision 8, height, width, one component
    std::string payload = std::string("\x08") + BigEndian16(height) + BigEndian16(width) + std::string("\x01\x01\x11\x00", 4);
    return JpegSegment(uint8_t(0xC0 + sofIndex), payload);
}

std::string SmallJpeg(int width, int height) {
    return JpegSoi() + JpegApp(0, "JFIF") + JpegSof(0, width, height) + std::string("\x12\x34\x56", 3) + JpegEoi();
}

std::string SmallGif(int width, int height, const std::string& body, const std::string& version) {
    // screen descriptor: flags 0 (no global table), background 0, aspect 0
    return version + LittleEndian16(width) + LittleEndian16(height) + std::string("\x00\x00\x00", 3) + body +
           std::string("\x00\x3B", 2);
}

std::string LoopExtension(const std::string& id) {
    return std::string("\x21\xFF\x0B", 3) + id + std::string("\x03\x01\x00\x00\x00", 5);
}

}  // namespace htmlimglist::test
