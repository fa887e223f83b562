#include "listgen/formats/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

#include "listgen/formats/ChGetImgSize.h"
#include "listgen/reduce/Orientation.h"
#include "listgen/copies/JpegEncoder.h"
#include "support/BoxReference.h"
#include "support/Decoding.h"
#include "support/Fixtures.h"
#include "support/JpegFixtures.h"

namespace htmlimglist {
namespace {

using namespace test;

// The reference: decode everything, then sample with the platform's stretch.
Bitmap FullThenSampled(const std::string& jpeg, int w, int h) {
    Bitmap full;
    EXPECT_TRUE(DecodeFull(ImageKind::Jpeg, FromBytes(jpeg), full));
    Bitmap sampled(w, h);
    sampled.StretchDraw(Rect{0, 0, w, h}, full);
    return sampled;
}

// Every kind of source the codec meets.
struct Source {
    const char* what;
    JpegRecipe recipe;
};
const Source kSources[] = {
    {"4:2:0", {203, 151, Chroma::S420}},
    {"4:2:2", {203, 151, Chroma::S422}},
    {"4:4:4", {203, 151, Chroma::S444}},
    {"grayscale", {203, 151, Chroma::S444, JpegColor::Gray}},
    {"progressive 4:2:0", {203, 151, Chroma::S420, JpegColor::Rgb, true}},
    {"CMYK", {203, 151, Chroma::S444, JpegColor::Cmyk}},
};

TEST(JpegFormatTest, SkippingRowsGivesThePixelsOfAFullDecode) {
    const auto& sources = kSources;
    const std::pair<int, int> sizes[] = {{50, 37}, {200, 149}, {1, 1}, {203, 151}, {300, 7}, {13, 250}};
    for (const Source& s : sources) {
        const std::string jpeg = MakeJpeg(s.recipe);
        for (auto [w, h] : sizes) {
            SCOPED_TRACE(testing::Message() << s.what << " to " << w << "x" << h);
            Bitmap scaled;
            DecodeReport report;
            ASSERT_TRUE(DecodeScaled(ImageKind::Jpeg, FromBytes(jpeg), w, h, scaled, &report)) << report.error;
            EXPECT_EQ(report.sourceWidth, s.recipe.width);
            EXPECT_TRUE(SamePixels(scaled, FullThenSampled(jpeg, w, h)));
        }
    }
}

// Every orientation samples the upright picture: the same pixels as a full
// decode turned upright and then sampled (not sampled, then turned: the two
// differ wherever the centre rule lands on a half).
TEST(JpegFormatTest, OrientedSamplingEqualsTurningTheFullDecodeFirst) {
    const std::string jpeg = MakeJpeg({203, 151, Chroma::S420});
    Bitmap full;
    ASSERT_TRUE(DecodeFull(ImageKind::Jpeg, FromBytes(jpeg), full));
    const std::pair<int, int> sizes[] = {{50, 37}, {37, 50}, {7, 300}, {1, 1}, {151, 203}};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const Bitmap upright = TurnUpright(full, orientation);
        for (auto [w, h] : sizes) {
            SCOPED_TRACE(testing::Message() << "orientation " << orientation << " to " << w << "x" << h);
            Bitmap expected(w, h);
            expected.StretchDraw(Rect{0, 0, w, h}, upright);
            Bitmap scaled;
            ASSERT_TRUE(DecodeScaled(ImageKind::Jpeg, FromBytes(jpeg), w, h, scaled, nullptr, orientation));
            EXPECT_TRUE(SamePixels(scaled, expected));
        }
    }
}

TEST(JpegFormatTest, ColourModelsComeOutAsRgb) {
    Bitmap gray;
    ASSERT_TRUE(DecodeFull(ImageKind::Jpeg, FromBytes(MakeJpeg({16, 16, Chroma::S444, JpegColor::Gray})), gray));
    Rgb p = gray.Pixel(5, 5);
    EXPECT_EQ(p.r, p.g);
    EXPECT_EQ(p.g, p.b);

    // libjpeg marks CMYK files the Adobe way, whose samples are inverted
    // inks: red = C * K / 255 with the stored values (K stored as 200).
    Bitmap cmyk;
    ASSERT_TRUE(DecodeFull(ImageKind::Jpeg, FromBytes(MakeJpeg({16, 16, Chroma::S444, JpegColor::Cmyk, false, 100})), cmyk));
    EXPECT_NEAR(cmyk.Pixel(0, 0).r, 0, 4);     // stored C 0
    EXPECT_NEAR(cmyk.Pixel(15, 0).r, 200, 4);  // stored C 255
}

TEST(JpegFormatTest, InksConvertRoundedToNearest) {
    struct Case {
        uint8_t cmyk[4];
        bool inverted;
        uint8_t rgb[3];
    } cases[] = {
        {{1, 128, 255, 128}, true, {1, 64, 128}},  // 0.502, 64.25, 128 (truncation gave 0, 64, 128)
        {{254, 127, 0, 127}, false, {1, 64, 128}}, // the same inks stored plainly
        {{255, 255, 255, 255}, true, {255, 255, 255}},
        {{0, 0, 0, 0}, true, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        uint8_t rgb[3];
        CmykPixelToRgb(c.cmyk, c.inverted, rgb);
        EXPECT_EQ(std::vector<uint8_t>(rgb, rgb + 3), std::vector<uint8_t>(c.rgb, c.rgb + 3));
    }
}

TEST(JpegFormatTest, EncodesBaselineJfifThatReadsBack) {
    Bitmap picture(200, 150);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) picture.SetPixel(x, y, Rgb{uint8_t(x), uint8_t(y), 128});
    std::string jpeg;
    ASSERT_TRUE(EncodeJpeg(picture, 75, jpeg));
    ChGetImgSize probe;
    MemoryProbeSource source(jpeg);
    int32_t w, h;
    ASSERT_TRUE(probe.GetJpegSize(source, w, h));  // SOF0: baseline
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 150);
    EXPECT_STREQ(probe.JpegType, "JFIF");
    Bitmap back;
    ASSERT_TRUE(DecodeFull(ImageKind::Jpeg, FromBytes(jpeg), back));
    EXPECT_NEAR(back.Pixel(100, 75).r, 100, 8);
    std::string again;
    ASSERT_TRUE(EncodeJpeg(picture, 75, again));
    EXPECT_EQ(jpeg, again);  // deterministic
    EXPECT_FALSE(EncodeJpeg(Bitmap(), 75, again));
}

TEST(JpegFormatTest, BrokenSourcesFailCleanlyOrDecodeWithWarnings) {
    const std::string good = MakeJpeg({64, 48});
    Bitmap out;
    DecodeReport report;
    // Cut in the middle of the scan: libjpeg fills the rest and warns.
    std::string cut = good.substr(0, good.size() / 2);
    EXPECT_TRUE(DecodeScaled(ImageKind::Jpeg, FromBytes(cut), 32, 24, out, &report));
    EXPECT_GT(report.warnings, 0);
    // Cut inside the headers: no picture.
    EXPECT_FALSE(DecodeScaled(ImageKind::Jpeg, FromBytes(good.substr(0, 40)), 32, 24, out, &report));
    EXPECT_FALSE(report.error.empty());
    EXPECT_FALSE(DecodeScaled(ImageKind::Jpeg, FromBytes("not a jpeg at all"), 32, 24, out, &report));
    EXPECT_FALSE(DecodeScaled(ImageKind::Jpeg, FromFile("/nonexistent/file.jpg"), 32, 24, out, &report));
    // A header claiming 65500 x 65500 is refused before any decoding.
    std::string huge = JpegSoi() + JpegSof(0, 65500, 65500) + JpegEoi();
    EXPECT_FALSE(DecodeScaled(ImageKind::Jpeg, FromBytes(huge), 200, 200, out, &report));
}

// The largest difference of any sample; -1 for different sizes.
int LargestDifference(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
    int largest = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int k = 0; k < 3 * a.Width(); ++k) largest = std::max(largest, std::abs(a.Row(y)[k] - b.Row(y)[k]));
    return largest;
}

// One-pixel stripes: nearest sampling makes them solid black or white, the
// area average even grey (the decoded picture, before any encoding).
TEST(JpegFormatTest, SmoothReductionTurnsFineStripesGrey) {
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "vertical stripes" : "horizontal stripes");
        Bitmap stripes(256, 128);
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 256; ++x) stripes.SetPixel(x, y, (vertical ? x : y) % 2 ? kWhite : kBlack);
        std::string jpeg;
        ASSERT_TRUE(EncodeJpeg(stripes, 95, jpeg));
        Bitmap reduced;
        ASSERT_TRUE(DecodeScaled(ImageKind::Jpeg, FromBytes(jpeg), 32, 16, reduced, nullptr, kOrientationAsStored, true));
        ASSERT_EQ(reduced.Width(), 32);
        for (int y = 0; y < 16; ++y)
            for (int k = 0; k < 3 * 32; ++k) ASSERT_NEAR(reduced.Row(y)[k], 128, 2) << "at " << k / 3 << "," << y;
    }
}

// Where no DCT scale keeps twice the size, the full decode is averaged: the
// result equals turning the full decode upright and averaging that, exactly.
TEST(JpegFormatTest, SmoothReductionOfEveryOrientationEqualsTurningThenAveraging) {
    const std::string jpeg = MakeJpeg({203, 151, Chroma::S420});
    Bitmap full;
    ASSERT_TRUE(DecodeFull(ImageKind::Jpeg, FromBytes(jpeg), full));
    const std::pair<int, int> sizes[] = {{100, 75}, {75, 100}, {151, 151}, {150, 1}};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const Bitmap upright = TurnUpright(full, orientation);
        for (auto [w, h] : sizes) {
            SCOPED_TRACE(testing::Message() << "orientation " << orientation << " to " << w << "x" << h);
            Bitmap reduced;
            ASSERT_TRUE(DecodeScaled(ImageKind::Jpeg, FromBytes(jpeg), w, h, reduced, nullptr, orientation, true));
            EXPECT_EQ(LargestDifference(reduced, BoxAverageReference(upright, w, h)), 0);
        }
    }
}

// From a DCT-scaled decode the average stays close to the exact one of the
// full decode, for every colour model and scan mode; at full scale it is
// the exact one. (This fixture's wrapping ramps and XOR texture are far
// harsher than photos: its hard edges cost a few dB, photos lose far less.)
TEST(JpegFormatTest, SmoothReductionOfEveryKindOfSourceStaysCloseToTheExactAverage) {
    const auto& sources = kSources;
    struct Size {
        int w, h;
        double minimumPsnr;  // infinite: exact
    } sizes[] = {{100, 75, INFINITY}, {50, 37, 28}, {25, 18, 30}, {1, 1, 40}};
    for (const Source& s : sources) {
        const std::string jpeg = MakeJpeg(s.recipe);
        Bitmap full;
        ASSERT_TRUE(DecodeFull(ImageKind::Jpeg, FromBytes(jpeg), full));
        for (const Size& size : sizes) {
            SCOPED_TRACE(testing::Message() << s.what << " to " << size.w << "x" << size.h);
            Bitmap reduced;
            DecodeReport report;
            ASSERT_TRUE(DecodeScaled(ImageKind::Jpeg, FromBytes(jpeg), size.w, size.h, reduced, &report, kOrientationAsStored, true))
                << report.error;
            ASSERT_EQ(reduced.Width(), size.w);
            ASSERT_EQ(reduced.Height(), size.h);
            EXPECT_GE(Psnr(reduced, BoxAverageReference(full, size.w, size.h)), size.minimumPsnr);
        }
    }
}

TEST(JpegFormatTest, SmoothEnlargementStaysNearestPixel) {
    const std::string jpeg = MakeJpeg({64, 48});
    for (auto [w, h] : {std::pair{80, 30}, std::pair{30, 60}, std::pair{128, 96}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        Bitmap smooth, nearest;
        ASSERT_TRUE(DecodeScaled(ImageKind::Jpeg, FromBytes(jpeg), w, h, smooth, nullptr, kOrientationAsStored, true));
        ASSERT_TRUE(DecodeScaled(ImageKind::Jpeg, FromBytes(jpeg), w, h, nearest));
        EXPECT_TRUE(SamePixels(smooth, nearest));
    }
}

}  // namespace
}  // namespace htmlimglist
