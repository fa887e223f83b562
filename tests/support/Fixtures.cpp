#include "support/Fixtures.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace htmlimglist::test {

std::string MessageKey(const RunMessage& message) {
    const char* name = "?";
    switch (message.id) {
        case RunMessageId::TooShallow: name = "TooShallow"; break;
        case RunMessageId::TooShallowTwoLevels: name = "TooShallowTwoLevels"; break;
        case RunMessageId::SeriesEnd: name = "SeriesEnd"; break;
        case RunMessageId::NotAFolder: name = "NotAFolder"; break;
        case RunMessageId::FolderMissing: name = "FolderMissing"; break;
        case RunMessageId::PathTooLong: name = "PathTooLong"; break;
        case RunMessageId::SaveFailed: name = "SaveFailed"; break;
        case RunMessageId::NotACopy: name = "NotACopy"; break;
        case RunMessageId::CopyOfOtherFolder: name = "CopyOfOtherFolder"; break;
        case RunMessageId::CopyTooLarge: name = "CopyTooLarge"; break;
        case RunMessageId::CopyOverLimit: name = "CopyOverLimit"; break;
        case RunMessageId::BadListName: name = "BadListName"; break;
        case RunMessageId::Unexpected: name = "Unexpected"; break;
    }
    return message.argument.empty() ? name : std::string(name) + " " + message.argument;
}

std::string ToolPage(const std::string& folderName, std::initializer_list<std::string> lines) {
    std::string page =
        "<html>\r\n<head>\r\n   <meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n"
        "   <meta name=\"GENERATOR\" content=\"Rokuza Ver2.00\">\r\n</head>\r\n<body>\r\nFolder Name: " +
        folderName + "\r\n";
    for (const std::string& line : lines) page += line + "\r\n";
    return page;
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
    const bool exifIfd = !recipe.dateTaken.empty();
    const int entries = recipe.entries + (exifIfd ? 1 : 0);
    tiff += Tiff16(be, uint32_t(recipe.entryCount < 0 ? entries : recipe.entryCount));
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
    // The Exif IFD: one entry, DateTimeOriginal, whose 20 ASCII bytes follow it.
    const uint32_t exifIfdAt =
        ifd0 + 2 + 12 * uint32_t(entries) + 4 + uint32_t(recipe.trailing + recipe.gapBeforeExifIfd);
    if (exifIfd) tiff += Tiff16(be, 0x8769) + Tiff16(be, 4) + Tiff32(be, 1) + Tiff32(be, exifIfdAt);
    tiff += Tiff32(be, recipe.nextIfd);
    tiff += std::string(recipe.trailing, '\x5A');
    if (exifIfd) {
        tiff += std::string(recipe.gapBeforeExifIfd, '\0');
        std::string date = recipe.dateTaken;
        date.resize(20, '\0');
        tiff += Tiff16(be, 1) + Tiff16(be, 0x9003) + Tiff16(be, 2) + Tiff32(be, 20) + Tiff32(be, exifIfdAt + 18) +
                Tiff32(be, 0) + date;
    }
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

std::string XmpApp1(const std::string& packet) {
    return JpegSegment(0xE1, std::string("http://ns.adobe.com/xap/1.0/", 29) + packet);
}

std::string XmpPacket(const std::string& attributes, const std::string& body) {
    return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\" x:xmptk=\"Adobe XMP Core 5.1.0-jc003\">\n"
           " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "  <rdf:Description rdf:about=\"\"\n"
           "    xmlns:GCamera=\"http://ns.google.com/photos/1.0/camera/\"\n"
           "    xmlns:Container=\"http://ns.google.com/photos/1.0/container/\"\n"
           "    xmlns:Item=\"http://ns.google.com/photos/1.0/container/item/\"\n"
           "   " + attributes + ">\n" + body +
           "  </rdf:Description>\n"
           " </rdf:RDF>\n"
           "</x:xmpmeta>\n"
           "<?xpacket end=\"w\"?>";
}

std::string ContainerDirectory(std::initializer_list<std::string> lengths) {
    std::string items = "    <rdf:li rdf:parseType=\"Resource\">\n"
                        "     <Container:Item Item:Mime=\"image/jpeg\" Item:Semantic=\"Primary\"/>\n"
                        "    </rdf:li>\n";
    for (const std::string& length : lengths) {
        items += "    <rdf:li rdf:parseType=\"Resource\">\n"
                 "     <Container:Item Item:Mime=\"video/mp4\" Item:Semantic=\"MotionPhoto\"" +
                 (length.empty() ? std::string() : " Item:Length=\"" + length + "\"") + "/>\n    </rdf:li>\n";
    }
    return "   <Container:Directory>\n    <rdf:Seq>\n" + items + "    </rdf:Seq>\n   </Container:Directory>\n";
}

std::string SefTrailer(std::initializer_list<SefBlock> blocks, int64_t firstBackChange) {
    auto le32 = [](int64_t v) { return LittleEndian16(int(v & 0xFFFF)) + LittleEndian16(int((v >> 16) & 0xFFFF)); };
    std::string data, entries;
    std::vector<std::pair<std::size_t, std::size_t>> placed;  // start, length
    for (const SefBlock& block : blocks) {
        const std::string bytes = std::string(2, '\0') + LittleEndian16(block.type) +
                                  le32(int64_t(block.name.size())) + block.name + block.data;
        placed.emplace_back(data.size(), bytes.size());
        data += bytes;
    }
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const int64_t back = int64_t(data.size() - placed[i].first) + (i == 0 ? firstBackChange : 0);
        entries += std::string(2, '\0') + LittleEndian16(blocks.begin()[i].type) + le32(back) +
                   le32(int64_t(placed[i].second));
    }
    const std::string directory = "SEFH" + le32(106) + le32(int64_t(placed.size())) + entries;
    return data + directory + le32(int64_t(directory.size())) + "SEFT";
}

}  // namespace htmlimglist::test
