// What every entry of the format registry must do, run against each one
// with a few files of its kind: the probe and the decode agree on the size,
// a set cancel flag stops both ways of reducing, the pixel limit refuses,
// cut files fail cleanly (and only look like images), and a file decodes as
// its bytes in memory do. Tests of one format cover only what is its own.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <vector>

#include "gif/GifBuilder.h"
#include "listgen/formats/Registry.h"
#include "support/Decoding.h"
#include "support/HeifFixtures.h"
#include "support/JpegFixtures.h"
#include "support/PngFixtures.h"
#include "support/TempDir.h"
#include "support/VideoFixtures.h"
#include "support/WebpFixtures.h"

namespace htmlimglist {
namespace {

using namespace test;

struct Sample {
    const char* what;
    ImageKind kind;
    std::string bytes;
    int width, height;
};

std::string Gif(int width, int height, int frames) {
    std::mt19937 rng(7);
    FrameRecipe frame;
    frame.width = width;
    frame.height = height;
    for (int i = 0; i < width * height; ++i) frame.pixels.push_back(uint8_t(rng() % 4));
    GifBuilder gif;
    gif.Header(width, height, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {255, 255, 255}});
    if (frames > 1) gif.Application("NETSCAPE2.0", {{1, 0, 0}});
    for (int i = 0; i < frames; ++i) gif.Frame(frame);
    const Bytes& bytes = gif.Trailer().bytes();
    return std::string(bytes.begin(), bytes.end());
}

std::vector<Sample> Samples() {
    return {
        {"baseline JPEG", ImageKind::Jpeg, MakeJpeg({67, 45}), 67, 45},
        {"progressive JPEG", ImageKind::Jpeg, MakeJpeg({67, 45, Chroma::S420, JpegColor::Rgb, true}), 67, 45},
        {"GIF", ImageKind::Gif, Gif(53, 37, 1), 53, 37},
        {"animated GIF", ImageKind::Gif, Gif(53, 37, 3), 53, 37},
        {"PNG", ImageKind::Png, MakePng({61, 43, PngColour::Rgba}), 61, 43},
        {"interlaced PNG", ImageKind::Png, MakePng({61, 43, PngColour::Palette, 8, true}), 61, 43},
        {"lossy WebP", ImageKind::Webp, MakeWebp({66, 44}), 66, 44},
        {"lossless WebP with alpha", ImageKind::Webp, MakeWebp({66, 44, true, true}), 66, 44},
        {"animated WebP", ImageKind::Webp, MakeWebp({66, 44, false, false, 80, 0, false, 3}), 66, 44},
        // An odd size: the encoder pads the coded picture and crops it back with clap.
        {"HEIC", ImageKind::Heic, MakeHeif({67, 45}), 67, 45},
        {"10-bit HEIC with alpha", ImageKind::Heic, MakeHeif({64, 48, false, true, 10}), 64, 48},
        {"AVIF", ImageKind::Avif, MakeHeif({66, 44, true}), 66, 44},
        // A video's size is its displayed one: the turned MOV's too.
        {"H.264 MP4", ImageKind::Video, Clip({}), 64, 48},
        {"H.264 MOV turned a quarter", ImageKind::Video, Clip({.container = "mov", .rotate = 90}), 48, 64},
        {"VP9 WebM", ImageKind::Video, Clip({.codec = "vp9", .container = "webm"}), 64, 48},
    };
}

class FormatConformanceTest : public testing::TestWithParam<std::size_t> {
protected:
    const Sample& sample() const {
        static const std::vector<Sample> samples = Samples();
        return samples[GetParam()];
    }
};

TEST_P(FormatConformanceTest, TheProbeAndTheDecodeAgreeOnTheSize) {
    const Sample& s = sample();
    MemoryProbeSource source(s.bytes);
    const auto probed = ProbeImage(source, ProbeOptions::Everything());
    ASSERT_TRUE(probed.has_value());
    EXPECT_EQ(probed->Kind(), s.kind);
    EXPECT_EQ(probed->header.width, s.width);
    EXPECT_EQ(probed->header.height, s.height);
    EXPECT_FALSE(probed->header.typeText.empty());
    // No other format takes it for one of its own.
    for (const ImageFormat* format : ImageFormats()) {
        ImageHeader header;
        if (format->Kind() != s.kind) {
            EXPECT_FALSE(format->Probe(source, ProbeOptions::Everything(), header));
        }
    }

    Bitmap full;
    DecodeReport report;
    ASSERT_TRUE(DecodeFull(s.kind, FromBytes(s.bytes), full, &report)) << report.error;
    EXPECT_EQ(full.Width(), s.width);
    EXPECT_EQ(full.Height(), s.height);
    EXPECT_EQ(report.sourceWidth, s.width);
    EXPECT_EQ(report.sourceHeight, s.height);
}

TEST_P(FormatConformanceTest, BothWaysOfReducingGiveTheTargetSizeInEveryOrientation) {
    const Sample& s = sample();
    for (bool smooth : {false, true}) {
        for (int orientation : {1, 6}) {
            for (auto [w, h] : {std::pair{20, 13}, std::pair{1, 1}, std::pair{90, 70}}) {
                SCOPED_TRACE(testing::Message() << (smooth ? "smooth" : "nearest") << " orientation " << orientation
                                                << " to " << w << "x" << h);
                Bitmap out;
                DecodeReport report;
                ASSERT_TRUE(DecodeScaled(s.kind, FromBytes(s.bytes), w, h, out, &report, orientation, smooth))
                    << report.error;
                EXPECT_EQ(out.Width(), w);
                EXPECT_EQ(out.Height(), h);
            }
        }
    }
}

TEST_P(FormatConformanceTest, ASetCancelFlagStopsBothWaysOfReducing) {
    const Sample& s = sample();
    const std::atomic<bool> cancel{true};
    for (bool smooth : {false, true}) {
        Bitmap out;
        DecodeReport report;
        EXPECT_FALSE(DecodeScaled(s.kind, FromBytes(s.bytes), 10, 7, out, &report, 1, smooth, &cancel));
        EXPECT_TRUE(report.aborted) << (smooth ? "smooth" : "nearest");
    }
}

TEST_P(FormatConformanceTest, ThePixelLimitRefusesBeforeDecoding) {
    const Sample& s = sample();
    const int64_t pixels = int64_t(s.width) * s.height;
    for (const auto& [limit, decodes] : {std::pair{pixels, true}, std::pair{pixels - 1, false}}) {
        DecodeControl control;
        control.maxPixels = limit;
        Bitmap out;
        DecodeReport report;
        EXPECT_EQ(DecodeReducedImage(s.kind, FromBytes(s.bytes), ReduceTarget{10, 7}, control, out, report), decodes)
            << "limit " << limit << ": " << report.error;
        if (!decodes) {
            EXPECT_FALSE(report.error.empty());
        }
    }
}

// Cut anywhere, a file decodes (what arrived, with warnings) or fails with
// a reason; it never crashes or reads past its end (the sanitizer build
// runs this too). Once its header is gone it is no image, and a file cut
// short that the probe refuses still tells why it looks like one.
TEST_P(FormatConformanceTest, CutFilesFailCleanly) {
    const Sample& s = sample();
    for (std::size_t length = 0; length < s.bytes.size(); length += 1 + length / 8) {
        const std::string cut = s.bytes.substr(0, length);
        Bitmap out;
        DecodeReport report;
        if (!DecodeScaled(s.kind, FromBytes(cut), 10, 7, out, &report)) {
            EXPECT_FALSE(report.error.empty()) << "cut at " << length;
        }
        MemoryProbeSource source(cut);
        if (length > 16 && !ProbeImage(source, ProbeOptions::Everything())) {
            EXPECT_TRUE(SniffLookalike(source, ProbeOptions::Everything()).has_value()) << "cut at " << length;
        }
    }
    Bitmap out;
    DecodeReport report;
    EXPECT_FALSE(DecodeScaled(s.kind, FromBytes(s.bytes.substr(0, 12)), 10, 7, out, &report));
}

TEST_P(FormatConformanceTest, AFileDecodesAsItsBytesDo) {
    const Sample& s = sample();
    TempDir dir;
    WriteFile(dir / "picture", s.bytes);
    for (bool smooth : {false, true}) {
        Bitmap fromFile, fromBytes;
        DecodeReport fileReport, bytesReport;
        ASSERT_TRUE(DecodeScaled(s.kind, FromFile(dir / "picture"), 23, 17, fromFile, &fileReport, 3, smooth));
        ASSERT_TRUE(DecodeScaled(s.kind, FromBytes(s.bytes), 23, 17, fromBytes, &bytesReport, 3, smooth));
        EXPECT_TRUE(SamePixels(fromFile, fromBytes)) << (smooth ? "smooth" : "nearest");
        EXPECT_EQ(fileReport.warnings, bytesReport.warnings);
    }
    Bitmap out;
    DecodeReport report;
    EXPECT_FALSE(DecodeScaled(s.kind, FromFile(dir / "missing"), 23, 17, out, &report));
    EXPECT_FALSE(report.error.empty());
    EXPECT_FALSE(DecodeScaled(s.kind, FromFile(dir.path()), 23, 17, out, &report)) << "a folder";
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, FormatConformanceTest, testing::Range<std::size_t>(0, Samples().size()),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             std::string name = Samples()[info.param].what;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// Every format has its entry, found by its kind, and the registry probes in
// the order a run always has: JPEG first, then GIF; videos last.
TEST(FormatRegistryTest, EveryKindHasItsEntryAndJpegComesFirst) {
    ASSERT_GE(ImageFormats().size(), 4u);
    EXPECT_EQ(ImageFormats()[0]->Kind(), ImageKind::Jpeg);
    EXPECT_EQ(ImageFormats()[1]->Kind(), ImageKind::Gif);
    // Videos last: every picture format has had its say first.
    EXPECT_EQ(ImageFormats().back()->Kind(), ImageKind::Video);
    for (const ImageFormat* format : ImageFormats()) EXPECT_EQ(&FormatOf(format->Kind()), format);
    // Without MoreImageTypes and ListVideos only JPEG and GIF are listed.
    for (const Sample& s : Samples()) {
        MemoryProbeSource source(s.bytes);
        const bool always = s.kind == ImageKind::Jpeg || s.kind == ImageKind::Gif;
        EXPECT_EQ(ProbeImage(source, ProbeOptions{}).has_value(), always) << s.what;
    }
}

}  // namespace
}  // namespace htmlimglist
