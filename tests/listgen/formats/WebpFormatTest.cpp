#include "listgen/formats/Registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <vector>

#include "listgen/reduce/Orientation.h"
#include "support/BoxReference.h"
#include "support/Decoding.h"
#include "support/TempDir.h"
#include "support/WebpFixtures.h"

#include <webp/decode.h>
#include <webp/demux.h>

namespace htmlimglist {
namespace {

using namespace test;
using namespace std::string_literals;

// libwebp's own decode of the whole picture as RGBA (an animation's first
// frame as its animation decoder composites it onto the canvas), laid over
// white: c·a + 255·(255 − a), divided by 255 and rounded. Empty when
// libwebp cannot decode it.
Bitmap Reference(const std::string& webp) {
    const WebPData data{reinterpret_cast<const uint8_t*>(webp.data()), webp.size()};
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(data.bytes, data.size, &features) != VP8_STATUS_OK) return Bitmap();
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    if (features.has_animation) {
        WebPAnimDecoderOptions options;
        WebPAnimDecoderOptionsInit(&options);
        options.color_mode = MODE_RGBA;
        WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
        if (decoder == nullptr) return Bitmap();
        WebPAnimInfo info;
        uint8_t* canvas = nullptr;
        int timestamp = 0;
        if (WebPAnimDecoderGetInfo(decoder, &info) && WebPAnimDecoderGetNext(decoder, &canvas, &timestamp)) {
            width = int(info.canvas_width), height = int(info.canvas_height);
            rgba.assign(canvas, canvas + std::size_t(width) * height * 4);
        }
        WebPAnimDecoderDelete(decoder);
    } else if (uint8_t* pixels = WebPDecodeRGBA(data.bytes, data.size, &width, &height)) {
        rgba.assign(pixels, pixels + std::size_t(width) * height * 4);
        WebPFree(pixels);
    }
    if (rgba.empty()) return Bitmap();
    Bitmap out(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = rgba.data() + (std::size_t(y) * width + x) * 4;
            const int a = p[3];
            uint8_t* q = out.Row(y) + 3 * x;
            for (int k = 0; k < 3; ++k) q[k] = uint8_t((p[k] * a + 255 * (255 - a) + 127) / 255);
        }
    }
    return out;
}

// The reduced copy expected from the reference: the upright picture sampled
// at each pixel's centre, or averaged when reducing smoothly.
Bitmap Expected(const Bitmap& reference, int width, int height, int orientation, bool smooth) {
    const Bitmap upright = TurnUpright(reference, orientation);
    if (smooth && width <= upright.Width() && height <= upright.Height())
        return BoxAverageReference(upright, width, height);
    Bitmap out(width, height);
    out.StretchDraw(Rect{0, 0, width, height}, upright);
    return out;
}

bool DecodeWebp(const DecodeInput& input, int width, int height, Bitmap& out, DecodeReport* report = nullptr,
                int orientation = 1, bool smooth = false) {
    return DecodeScaled(ImageKind::Webp, input, width, height, out, report, orientation, smooth);
}

// Every kind of file, every orientation, reduced, enlarged and kept, by
// both ways of reducing: the pixels equal libwebp's full decode reduced the plain way.
TEST(WebpFormatTest, ReducedPixelsEqualTheFullDecodeReduced) {
    const struct {
        const char* what;
        WebpRecipe recipe;
    } cases[] = {
        {"lossy", {.width = 64, .height = 48}},
        {"lossless", {.width = 64, .height = 48, .lossless = true}},
        {"lossy with alpha", {.width = 64, .height = 48, .alpha = true}},
        {"lossless with alpha", {.width = 64, .height = 48, .lossless = true, .alpha = true}},
        {"extended with EXIF", {.width = 64, .height = 48, .orientation = 6}},
        {"animated, first frame on part of the canvas",
         {.width = 64, .height = 48, .alpha = true, .frames = 2, .frameX = 10, .frameY = 6, .frameWidth = 30,
          .frameHeight = 20}},
        {"animated lossless, first frame on the whole canvas", {.width = 64, .height = 48, .lossless = true, .frames = 3}},
    };
    const std::pair<int, int> sizes[] = {{20, 15}, {15, 20}, {1, 1}, {48, 64}, {64, 48}, {100, 70}};
    for (const auto& c : cases) {
        const std::string webp = MakeWebp(c.recipe);
        const Bitmap reference = Reference(webp);
        ASSERT_FALSE(reference.Empty()) << c.what;
        for (int orientation = 1; orientation <= 8; ++orientation) {
            for (auto [w, h] : sizes) {
                for (bool smooth : {false, true}) {
                    SCOPED_TRACE(testing::Message() << c.what << ", orientation " << orientation << ", " << w << "x" << h
                                                    << (smooth ? " smooth" : " nearest"));
                    Bitmap out;
                    DecodeReport report;
                    ASSERT_TRUE(DecodeWebp(FromBytes(webp), w, h, out, &report, orientation, smooth))
                        << report.error;
                    EXPECT_EQ(report.sourceWidth, 64);
                    EXPECT_EQ(report.sourceHeight, 48);
                    EXPECT_TRUE(SamePixels(out, Expected(reference, w, h, orientation, smooth)));
                }
            }
        }
    }
}

// A file is read up to its RIFF end, and only while it is a RIFF container.
TEST(WebpFormatTest, AFileIsReadUpToItsRiffEnd) {
    TempDir dir;
    const std::string webp = MakeWebp({.width = 64, .height = 48, .lossless = true, .alpha = true});
    WriteFile(dir / "a.webp", webp + "bytes after the RIFF end");
    Bitmap fromFile, fromBytes;
    ASSERT_TRUE(DecodeWebp(FromFile(dir / "a.webp"), 30, 20, fromFile));
    ASSERT_TRUE(DecodeWebp(FromBytes(webp), 30, 20, fromBytes));
    EXPECT_TRUE(SamePixels(fromFile, fromBytes));
    // Replaced since it was probed: only a RIFF container is read on.
    DecodeReport report;
    WriteFile(dir / "b.webp", "VP8L" + webp);
    EXPECT_FALSE(DecodeWebp(FromFile(dir / "b.webp"), 30, 20, fromFile, &report));
    EXPECT_EQ(report.error, "not a WebP file");
}

std::string Le(uint32_t value, int bytes) { return LittleEndian(value, bytes); }
std::string Riff(const std::string& chunks) { return WebpRiff(chunks); }
std::string Chunk(const std::string& code, const std::string& payload) { return WebpChunk(code, payload); }

// Headers alone, claiming more than 2^26 pixels: refused from the header,
// with nothing behind it to decode.
TEST(WebpFormatTest, PicturesOverTheLimitAreRefusedFromTheirHeader) {
    const uint32_t lossyTag = 1u << 4 | 1u << 5;  // key frame, shown, first partition of 1 byte
    const struct {
        const char* what;
        std::string bytes;
        int width, height;
    } cases[] = {
        {"lossless", Riff(Chunk("VP8L", "\x2F" + Le(8192u | 8191u << 14, 4))), 8193, 8192},
        {"lossy", Riff(Chunk("VP8 ", Le(lossyTag, 3) + "\x9D\x01\x2A" + Le(16383, 2) + Le(16383, 2) + "\0\0"s)),
         16383, 16383},
        {"animated canvas",
         Riff(Chunk("VP8X", "\x02\0\0\0"s + Le(9999, 3) + Le(9999, 3)) + Chunk("ANIM", std::string(6, '\0'))), 10000,
         10000},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bitmap out;
        DecodeReport report;
        EXPECT_FALSE(DecodeWebp(FromBytes(c.bytes), 200, 200, out, &report));
        EXPECT_EQ(report.error, "source of " + std::to_string(c.width) + " x " + std::to_string(c.height) +
                                    " pixels refused");
        EXPECT_EQ(report.sourceWidth, c.width);
        WriteFile(dir / "huge.webp", c.bytes);
        report = DecodeReport{};
        EXPECT_FALSE(DecodeWebp(FromFile(dir / "huge.webp"), 200, 200, out, &report));
        EXPECT_NE(report.error.find("refused"), std::string::npos) << report.error;
    }
}

// A file cut short gives no copy of what arrived, still or animated (bytes
// at random are the fuzzer's and the corpus check's). An animation needs
// only its first frame whole.
TEST(WebpFormatTest, CutFilesGiveNoCopy) {
    const std::string animation = MakeWebp(WebpRecipe{.width = 50, .height = 40, .frames = 3});
    Bitmap whole, firstFrameOnly;
    ASSERT_TRUE(DecodeWebp(FromBytes(animation), 10, 8, whole));
    const std::size_t secondFrame = animation.find("ANMF", animation.find("ANMF") + 4);
    ASSERT_NE(secondFrame, std::string::npos);
    ASSERT_TRUE(DecodeWebp(FromBytes(animation.substr(0, secondFrame)), 10, 8, firstFrameOnly));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(whole.Row(0)), 3 * 10 * 8),
              std::string(reinterpret_cast<const char*>(firstFrameOnly.Row(0)), 3 * 10 * 8));

    for (const WebpRecipe& recipe : {WebpRecipe{.width = 50, .height = 40, .alpha = true},
                                     WebpRecipe{.width = 50, .height = 40, .lossless = true},
                                     WebpRecipe{.width = 50, .height = 40, .frames = 2}}) {
        const std::string good = MakeWebp(recipe);
        Bitmap out;
        DecodeReport report;
        EXPECT_FALSE(DecodeWebp(FromBytes(good.substr(0, good.size() / 2)), 10, 8, out, &report));
        EXPECT_TRUE(report.error == "picture data cut short" || report.error == "animation without frames" ||
                    report.error == "the first frame is cut short")
            << report.error;
    }
}

// libwebp's test vectors: every file it decodes gives the pixels of its full
// decode, reduced either way.
TEST(WebpFormatTest, CorpusFilesGiveThePixelsOfTheirFullDecode) {
    const std::filesystem::path folder = HTMLIMGLIST_CORPUS "/webp-valid";
    if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no corpus at " << folder;
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string bytes = ReadFile(entry.path().string());
        const Bitmap reference = Reference(bytes);
        if (reference.Empty()) continue;
        const int w = 1 + reference.Width() / 3, h = 1 + reference.Height() / 3;
        for (bool smooth : {false, true}) {
            SCOPED_TRACE(entry.path().filename().string() + (smooth ? " smooth" : " nearest"));
            Bitmap out;
            DecodeReport report;
            ASSERT_TRUE(DecodeWebp(FromBytes(bytes), w, h, out, &report, 1, smooth)) << report.error;
            EXPECT_TRUE(SamePixels(out, Expected(reference, w, h, 1, smooth)));
        }
        ++compared;
    }
    EXPECT_GT(compared, 100);
}

}  // namespace
}  // namespace htmlimglist
