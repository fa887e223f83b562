#include <gtest/gtest.h>

#include <cstring>

#include "listgen/formats/Registry.h"
#include "support/Fixtures.h"
#include "support/PngFixtures.h"

namespace htmlimglist {
namespace {

using namespace test;
using namespace std::string_literals;

std::string Idat() { return PngChunk("IDAT", "\x78\x01"s); }
std::string Iend() { return PngChunk("IEND", ""); }
std::string Actl() { return PngChunk("acTL", std::string("\0\0\0\2\0\0\0\0", 8)); }
// An eXIf chunk: bare TIFF data, without the "Exif\0\0" of a JPEG segment.
std::string Exif(int orientation, bool bigEndian = false) {
    ExifRecipe r;
    r.orientation = orientation;
    r.bigEndian = bigEndian;
    return PngChunk("eXIf", ExifData(r).substr(6));
}
// A chunk header whose length is set by hand, with no data after it.
std::string BareChunk(uint32_t length, const char* type) {
    return std::string{char(length >> 24), char(length >> 16), char(length >> 8), char(length)} + type;
}

struct PngCase {
    const char* what;
    std::string bytes;
    bool accepted;
    int32_t width = 0, height = 0;
    const char* animation = "";
    int orientation = 1;
};

TEST(PngProbeTest, SignatureHeaderAndChunkWalk) {
    const std::string head = PngHead(640, 480);
    std::string manyChunks;
    for (int i = 0; i < 1200; ++i) manyChunks += PngChunk("tEXt", "");
    const PngCase cases[] = {
        {"header, one IDAT, IEND", head + Idat() + Iend(), true, 640, 480},
        {"a real file", MakePng({33, 17, PngColour::Palette, 4, true}), true, 33, 17},
        {"no IEND needed", head + Idat(), true, 640, 480},
        {"chunks before IDAT are stepped over", head + PngChunk("iCCP", std::string(5000, 'x')) + Idat(), true, 640,
         480},
        {"largest size", PngHead(0x7FFFFFFF, 0x7FFFFFFF) + Idat(), true, 0x7FFFFFFF, 0x7FFFFFFF},
        {"acTL before IDAT: animated", head + Actl() + Idat() + Iend(), true, 640, 480, "acTL"},
        {"acTL after IDAT does not count", head + Idat() + Actl() + Iend(), true, 640, 480},
        {"eXIf before IDAT turns", head + Exif(6) + Idat(), true, 640, 480, "", 6},
        {"eXIf big-endian", head + Exif(8, true) + Idat(), true, 640, 480, "", 8},
        {"the first eXIf counts", head + Exif(3) + Exif(6) + Idat(), true, 640, 480, "", 3},
        {"eXIf after IDAT is not looked for", head + Idat() + Exif(6) + Iend(), true, 640, 480},
        {"eXIf with a JPEG identifier is damaged",
         head + PngChunk("eXIf", ExifData(ExifRecipe{false, 6})) + Idat(), true, 640, 480},
        {"empty eXIf", head + PngChunk("eXIf", "") + Idat(), true, 640, 480},
        {"the walk gives up after many chunks", head + manyChunks + Actl() + Idat(), true, 640, 480},
        {"signature wrong", "\x89PNG\r\n\x1A\r" + head.substr(8) + Idat(), false},
        {"IHDR not first", head.substr(0, 8) + PngChunk("tEXt", "a") + head.substr(8) + Idat(), false},
        {"IHDR too short", head.substr(0, 8) + PngChunk("IHDR", head.substr(16, 12)) + Idat(), false},
        {"zero width", PngHead(0, 480) + Idat(), false},
        {"zero height", PngHead(640, 0) + Idat(), false},
        {"width over 2^31 - 1", PngHead(0x80000000u, 1) + Idat(), false},
        {"height over 2^31 - 1", PngHead(1, 0xFFFFFFFFu) + Idat(), false},
        {"depth the colour type does not allow", PngHead(8, 8, 4, 2) + Idat(), false},
        {"unknown colour type", PngHead(8, 8, 8, 5) + Idat(), false},
        {"unknown interlace method", PngHead(8, 8, 8, 2, 2) + Idat(), false},
        {"chunk length past the end", head + BareChunk(100, "tEXt") + std::string(50, 'x'), false},
        {"IDAT length past the end", head + BareChunk(100, "IDAT") + std::string(50, 'x'), false},
        {"chunk length over 2^31 - 1", head + BareChunk(0x80000000u, "tEXt") + std::string(50, 'x'), false},
        {"chunk type not letters", head + PngChunk("t3Xt", "") + Idat(), false},
        {"IEND before any IDAT", head + Iend() + Idat(), false},
        {"ends without IDAT", head + PngChunk("tEXt", "a"), false},
        {"header cut short", head.substr(0, 30), false},
        {"empty", "", false},
    };
    for (const PngCase& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryProbeSource source(c.bytes);
        ImageHeader header;
        ASSERT_EQ(FormatOf(ImageKind::Png).Probe(source, ProbeOptions::Everything(), header), c.accepted);
        if (!c.accepted) continue;
        EXPECT_EQ(header.width, c.width);
        EXPECT_EQ(header.height, c.height);
        EXPECT_EQ(header.animated, std::string(c.animation) == "acTL");
        EXPECT_EQ(header.orientation, c.orientation);
        EXPECT_EQ(header.typeText, "PNG");
    }
}

TEST(PngProbeTest, EveryOrientationOfEXif) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string png = MakePng({.beforeImage = Exif(orientation, orientation % 2 == 0)});
        MemoryProbeSource source(png);
        ImageHeader header;
        ASSERT_TRUE(FormatOf(ImageKind::Png).Probe(source, ProbeOptions::Everything(), header));
        EXPECT_EQ(header.orientation, orientation);
    }
}

}  // namespace
}  // namespace htmlimglist
