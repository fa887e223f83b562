#include "support/Fixtures.h"

#include <algorithm>

namespace htmlimglist::test {

std::string MessageKey(const RunMessage& message) {
    const char* name = "?";
    switch (message.id) {
        case RunMessageId::TooShallow: name = "TooShallow"; break;
        case RunMessageId::TooShallowTwoLevels: name = "TooShallowTwoLevels"; break;
        case RunMessageId::SeriesEnd: name = "SeriesEnd"; break;
        case RunMessageId::NotAFolder: name = "NotAFolder"; break;
        case RunMessageId::PathTooLong: name = "PathTooLong"; break;
        case RunMessageId::SaveFailed: name = "SaveFailed"; break;
        case RunMessageId::NotACopy: name = "NotACopy"; break;
        case RunMessageId::BadListName: name = "BadListName"; break;
        case RunMessageId::Unexpected: name = "Unexpected"; break;
    }
    return message.argument.empty() ? name : std::string(name) + " " + message.argument;
}

namespace {

std::string BigEndian16(int v) { return {char((v >> 8) & 0xFF), char(v & 0xFF)}; }
std::string LittleEndian16(int v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }

std::string Tiff16(bool bigEndian, uint32_t v) { return bigEndian ? BigEndian16(int(v)) : LittleEndian16(int(v)); }
std::string Tiff32(bool bigEndian, uint32_t v) {
    return bigEndian ? Tiff16(true, v >> 16) + Tiff16(true, v & 0xFFFF) : Tiff16(false, v & 0xFFFF) + Tiff16(false, v >> 16);
}

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

std::string ExifData(const ExifRecipe& recipe) {
    const bool be = recipe.bigEndian;
    constexpr uint32_t kHeaderSize = 8;
    const uint32_t ifd0 = kHeaderSize + uint32_t(recipe.gapBeforeIfd0);
    std::string tiff = (be ? "MM" : "II") + Tiff16(be, 42) +
                       Tiff32(be, recipe.ifd0Offset < 0 ? ifd0 : uint32_t(recipe.ifd0Offset));
    tiff += std::string(recipe.gapBeforeIfd0, '\0');
    tiff += Tiff16(be, uint32_t(recipe.entryCount < 0 ? recipe.entries : recipe.entryCount));
    for (int i = 0; i < recipe.entries; ++i) {
        if (i == recipe.tagIndex) {
            tiff += Tiff16(be, 0x0112) + Tiff16(be, uint32_t(recipe.type)) + Tiff32(be, recipe.count);
            // A SHORT stands left-justified in the value field.
            tiff += recipe.type == 3 ? Tiff16(be, uint32_t(recipe.orientation)) + std::string(2, '\0')
                                   : Tiff32(be, uint32_t(recipe.orientation));
        } else {
            // ASCII, 4 bytes, held in the value field; tags in ascending
            // order around 0x0112 and never equal to it.
            const uint32_t tag = i < recipe.tagIndex ? 0x0100 + uint32_t(std::min(i, 0x11)) : 0x0113 + uint32_t(i);
            tiff += Tiff16(be, tag) + Tiff16(be, 2) + Tiff32(be, 4) + std::string("Cam\0", 4);
        }
    }
    tiff += Tiff32(be, recipe.nextIfd);
    tiff += std::string(recipe.trailing, '\x5A');
    return recipe.identifier + tiff;
}

std::string ExifApp1(const ExifRecipe& recipe) { return JpegSegment(0xE1, ExifData(recipe)); }

std::string InsertAfterSoi(const std::string& jpeg, const std::string& segment) {
    return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

std::string SmallExifJpeg(int width, int height, int orientation) {
    ExifRecipe exif;
    exif.orientation = orientation;
    return InsertAfterSoi(SmallJpeg(width, height), ExifApp1(exif));
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
