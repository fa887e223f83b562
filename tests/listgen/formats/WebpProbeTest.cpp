#include <gtest/gtest.h>

#include <filesystem>

#include "listgen/formats/Registry.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"
#include "support/WebpFixtures.h"

#include <webp/decode.h>

namespace htmlimglist {
namespace {

using namespace test;
using namespace std::string_literals;

std::string Le(uint32_t value, int bytes) { return LittleEndian(value, bytes); }
std::string Chunk(const std::string& code, const std::string& payload, int64_t sizeField = -1) {
    return WebpChunk(code, payload, sizeField);
}
std::string Riff(const std::string& chunks, int64_t sizeChange = 0) { return WebpRiff(chunks, sizeChange); }

// A lossy key frame header: frame tag (key frame, profile 0, shown, first
// partition of 4 bytes), start code, width and height with their scale bits.
std::string Vp8(int width, int height, bool keyFrame = true, const std::string& startCode = "\x9D\x01\x2A",
                int scale = 0) {
    const uint32_t tag = (keyFrame ? 0u : 1u) | 1u << 4 | 4u << 5;
    return Le(tag, 3) + startCode + Le(uint32_t(width | scale << 14), 2) + Le(uint32_t(height | scale << 14), 2) +
           std::string(6, '\0');
}

std::string Vp8l(int width, int height, char signature = '\x2F', int version = 0) {
    return signature + Le(uint32_t(width - 1) | uint32_t(height - 1) << 14 | uint32_t(version) << 29, 4);
}

constexpr uint8_t kAnimation = 0x02, kExif = 0x08;

std::string Vp8x(uint8_t flags, int width, int height) {
    return char(flags) + "\0\0\0"s + Le(uint32_t(width - 1), 3) + Le(uint32_t(height - 1), 3);
}

struct ProbeCase {
    const char* what;
    std::string bytes;
    bool accepted;
    int32_t width = 0, height = 0;
    bool animated = false;
    int orientation = 1;
};

void Check(const ProbeCase& c) {
    SCOPED_TRACE(c.what);
    MemoryProbeSource source(c.bytes);
    ImageHeader header;
    ASSERT_EQ(FormatOf(ImageKind::Webp).Probe(source, ProbeOptions::Everything(), header), c.accepted);
    if (!c.accepted) return;
    EXPECT_EQ(header.width, c.width);
    EXPECT_EQ(header.height, c.height);
    EXPECT_EQ(header.animated, c.animated);
    EXPECT_EQ(header.orientation, c.orientation);
}

TEST(WebpProbeTest, FirstChunkGivesTheSize) {
    const std::string lossy = Chunk("VP8 ", Vp8(640, 480));
    const ProbeCase cases[] = {
        {"lossy", Riff(lossy), true, 640, 480},
        {"lossy: the scale bits are not the size", Riff(Chunk("VP8 ", Vp8(640, 480, true, "\x9D\x01\x2A", 3))), true,
         640, 480},
        {"lossy at its largest", Riff(Chunk("VP8 ", Vp8(16383, 16383))), true, 16383, 16383},
        {"lossy, not a key frame", Riff(Chunk("VP8 ", Vp8(640, 480, false))), false},
        {"lossy without its start code", Riff(Chunk("VP8 ", Vp8(640, 480, true, "\x9D\x01\x2B"))), false},
        {"lossy of width 0", Riff(Chunk("VP8 ", Vp8(0, 480))), false},
        {"lossy of height 0", Riff(Chunk("VP8 ", Vp8(640, 0))), false},
        {"lossy header cut inside its chunk", Riff(Chunk("VP8 ", Vp8(640, 480).substr(0, 9))), false},
        {"lossy whose first partition is larger than the chunk",
         Riff(Chunk("VP8 ", Le(1u << 4 | 100u << 5, 3) + Vp8(640, 480).substr(3))), false},
        {"lossless", Riff(Chunk("VP8L", Vp8l(1, 1))), true, 1, 1},
        {"lossless at its largest", Riff(Chunk("VP8L", Vp8l(16384, 16384))), true, 16384, 16384},
        {"lossless with a wrong signature", Riff(Chunk("VP8L", Vp8l(10, 10, '\x2E'))), false},
        {"lossless of another version", Riff(Chunk("VP8L", Vp8l(10, 10, '\x2F', 1))), false},
        {"extended at its largest", Riff(Chunk("VP8X", Vp8x(0, 1 << 24, 1 << 24))), true, 1 << 24, 1 << 24},
        {"extended, animated", Riff(Chunk("VP8X", Vp8x(kAnimation, 300, 200)) + Chunk("ANIM", std::string(6, '\0'))),
         true, 300, 200, true},
        {"extended chunk of another size", Riff(Chunk("VP8X", Vp8x(0, 30, 20) + "\0\0"s)), false},
        {"chunk runs past the end", Riff(Chunk("VP8 ", Vp8(640, 480), 200)), false},
        {"RIFF size larger than the file", Riff(lossy, 2), false},
        {"RIFF size ending inside the chunk", Riff(lossy, -2), false},
        {"bytes after the RIFF end are not read", Riff(lossy) + "trailing", true, 640, 480},
        {"not WEBP", "RIFF" + Le(4 + uint32_t(lossy.size()), 4) + "WAVE" + lossy, false},
        {"first chunk of another kind", Riff(Chunk("ALPH", "xx") + lossy), false},
        {"nothing after WEBP", Riff(""), false},
        {"RIFF size below 4", "RIFF" + Le(2, 4) + "WEBP", false},
        {"empty", "", false},
    };
    for (const ProbeCase& c : cases) Check(c);
}

TEST(WebpProbeTest, OrientationFromTheExifChunk) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
        for (bool identifier : {false, true}) {
            const std::string what = "orientation " + std::to_string(orientation) + (identifier ? " after Exif\\0\\0" : "");
            Check({what.c_str(),
                   MakeWebp({.width = 40, .height = 30, .orientation = orientation, .exifIdentifier = identifier}), true,
                   40, 30, false, orientation});
        }
    }
    auto tiff = [](int orientation, auto change) {
        ExifRecipe recipe;
        recipe.orientation = orientation;
        change(recipe);
        return ExifData(recipe).substr(6);
    };
    auto plain = [](ExifRecipe&) {};
    const std::string image = Chunk("VP8 ", Vp8(40, 30));
    auto extended = [&](uint8_t flags, const std::string& after) {
        return Riff(Chunk("VP8X", Vp8x(flags, 40, 30)) + after);
    };
    const ProbeCase cases[] = {
        {"animated, EXIF after the frames", MakeWebp({.width = 40, .height = 30, .orientation = 6, .frames = 3}), true,
         40, 30, true, 6},
        {"big-endian", extended(kExif, image + Chunk("EXIF", tiff(8, [](ExifRecipe& r) { r.bigEndian = true; }))),
         true, 40, 30, false, 8},
        {"after an odd-sized chunk and its pad byte",
         extended(kExif, Chunk("ICCP", "abc") + image + Chunk("EXIF", tiff(3, plain))), true, 40, 30, false, 3},
        {"IFD0 beyond the first kilobyte",
         extended(kExif, image + Chunk("EXIF", tiff(5, [](ExifRecipe& r) { r.gapBeforeIfd0 = 3000; }))), true, 40,
         30, false, 5},
        {"EXIF chunk without the EXIF flag", extended(0, image + Chunk("EXIF", tiff(6, plain))), true, 40, 30},
        {"EXIF flag without an EXIF chunk", extended(kExif, image), true, 40, 30},
        {"damaged EXIF data", extended(kExif, image + Chunk("EXIF", tiff(6, [](ExifRecipe& r) { r.type = 4; }))),
         true, 40, 30},
        {"a chunk before it runs past the end: the picture stays",
         extended(kExif, image + Chunk("XMP ", "x", 1000) + Chunk("EXIF", tiff(6, plain))), true, 40, 30},
        {"EXIF chunk runs past the end", extended(kExif, image + Chunk("EXIF", tiff(6, plain), 5000)), true, 40, 30},
    };
    for (const ProbeCase& c : cases) Check(c);
}

// The decoder test vectors: every file the probe takes has the size libwebp
// reads from it, and the probe refuses none that libwebp reads.
TEST(WebpProbeTest, CorpusFilesHaveTheSizeLibwebpReads) {
    const std::filesystem::path folder = HTMLIMGLIST_CORPUS "/webp-valid";
    if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no corpus at " << folder;
    int probed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        const std::string bytes = ReadFile(entry.path().string());
        MemoryProbeSource source(bytes);
        ImageHeader header;
        WebPBitstreamFeatures features;
        const bool readable = WebPGetFeatures(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                              &features) == VP8_STATUS_OK;
        ASSERT_EQ(FormatOf(ImageKind::Webp).Probe(source, ProbeOptions::Everything(), header), readable);
        if (!readable) continue;
        EXPECT_EQ(header.width, features.width);
        EXPECT_EQ(header.height, features.height);
        EXPECT_EQ(header.animated, bool(features.has_animation));
        ++probed;
    }
    EXPECT_GT(probed, 100);
}

}  // namespace
}  // namespace htmlimglist
