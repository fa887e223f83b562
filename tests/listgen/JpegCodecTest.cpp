#include "listgen/JpegCodec.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "listgen/ChGetImgSize.h"
#include "listgen/Orientation.h"
#include "support/Fixtures.h"
#include "support/JpegFixtures.h"

namespace htmlimglist {
namespace {

using namespace test;

// The reference: decode everything, then sample with the platform's stretch.
Bitmap FullThenSampled(const std::string& jpeg, int w, int h) {
    Bitmap full;
    EXPECT_TRUE(DecodeJpegFull(JpegInput{{}, jpeg}, full));
    Bitmap sampled(w, h);
    sampled.StretchDraw(Rect{0, 0, w, h}, full);
    return sampled;
}

bool SamePixels(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y) {
        if (!std::equal(a.Row(y), a.Row(y) + 3 * a.Width(), b.Row(y))) return false;
    }
    return true;
}

TEST(JpegCodecTest, SkippingRowsGivesThePixelsOfAFullDecode) {
    struct Source {
        const char* what;
        JpegSpec spec;
    };
    const Source sources[] = {
        {"4:2:0", {203, 151, Chroma::S420}},
        {"4:2:2", {203, 151, Chroma::S422}},
        {"4:4:4", {203, 151, Chroma::S444}},
        {"grayscale", {203, 151, Chroma::S444, JpegColor::Gray}},
        {"progressive 4:2:0", {203, 151, Chroma::S420, JpegColor::Rgb, true}},
        {"CMYK", {97, 65, Chroma::S444, JpegColor::Cmyk}},
    };
    const std::pair<int, int> sizes[] = {{50, 37}, {200, 149}, {1, 1}, {203, 151}, {300, 7}, {13, 250}};
    for (const Source& s : sources) {
        const std::string jpeg = MakeJpeg(s.spec);
        for (auto [w, h] : sizes) {
            SCOPED_TRACE(testing::Message() << s.what << " to " << w << "x" << h);
            Bitmap scaled;
            JpegDecodeReport report;
            ASSERT_TRUE(DecodeJpegScaled(JpegInput{{}, jpeg}, w, h, scaled, &report)) << report.error;
            EXPECT_EQ(report.sourceWidth, s.spec.width);
            EXPECT_TRUE(SamePixels(scaled, FullThenSampled(jpeg, w, h)));
        }
    }
}

// Every orientation samples the upright picture: the same pixels as a full
// decode turned upright and then sampled (not sampled, then turned: the two
// differ wherever the centre rule lands on a half).
TEST(JpegCodecTest, OrientedSamplingEqualsTurningTheFullDecodeFirst) {
    const std::string jpeg = MakeJpeg({203, 151, Chroma::S420});
    Bitmap full;
    ASSERT_TRUE(DecodeJpegFull(JpegInput{{}, jpeg}, full));
    const std::pair<int, int> sizes[] = {{50, 37}, {37, 50}, {7, 300}, {1, 1}, {151, 203}};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const Bitmap upright = TurnUpright(full, orientation);
        for (auto [w, h] : sizes) {
            SCOPED_TRACE(testing::Message() << "orientation " << orientation << " to " << w << "x" << h);
            Bitmap expected(w, h);
            expected.StretchDraw(Rect{0, 0, w, h}, upright);
            Bitmap scaled;
            JpegReduction how;
            how.orientation = orientation;
            ASSERT_TRUE(DecodeJpegScaled(JpegInput{{}, jpeg}, w, h, scaled, nullptr, how));
            EXPECT_TRUE(SamePixels(scaled, expected));
        }
    }
}

TEST(JpegCodecTest, ColourModelsComeOutAsRgb) {
    Bitmap gray;
    ASSERT_TRUE(DecodeJpegFull(JpegInput{{}, MakeJpeg({16, 16, Chroma::S444, JpegColor::Gray})}, gray));
    Rgb p = gray.Pixel(5, 5);
    EXPECT_EQ(p.r, p.g);
    EXPECT_EQ(p.g, p.b);

    // libjpeg marks CMYK files the Adobe way, whose samples are inverted
    // inks: red = C * K / 255 with the stored values (K stored as 200).
    Bitmap cmyk;
    ASSERT_TRUE(DecodeJpegFull(JpegInput{{}, MakeJpeg({16, 16, Chroma::S444, JpegColor::Cmyk, false, 100})}, cmyk));
    EXPECT_NEAR(cmyk.Pixel(0, 0).r, 0, 4);     // stored C 0
    EXPECT_NEAR(cmyk.Pixel(15, 0).r, 200, 4);  // stored C 255
}

TEST(JpegCodecTest, InksConvertRoundedToNearest) {
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

TEST(JpegCodecTest, EncodesBaselineJfifThatReadsBack) {
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
    ASSERT_TRUE(DecodeJpegFull(JpegInput{{}, jpeg}, back));
    EXPECT_NEAR(back.Pixel(100, 75).r, 100, 8);
    std::string again;
    ASSERT_TRUE(EncodeJpeg(picture, 75, again));
    EXPECT_EQ(jpeg, again);  // deterministic
    EXPECT_FALSE(EncodeJpeg(Bitmap(), 75, again));
}

TEST(JpegCodecTest, BrokenSourcesFailCleanlyOrDecodeWithWarnings) {
    const std::string good = MakeJpeg({64, 48});
    Bitmap out;
    JpegDecodeReport report;
    // Cut in the middle of the scan: libjpeg fills the rest and warns.
    std::string cut = good.substr(0, good.size() / 2);
    EXPECT_TRUE(DecodeJpegScaled(JpegInput{{}, cut}, 32, 24, out, &report));
    EXPECT_GT(report.warnings, 0);
    // Cut inside the headers: no picture.
    EXPECT_FALSE(DecodeJpegScaled(JpegInput{{}, good.substr(0, 40)}, 32, 24, out, &report));
    EXPECT_FALSE(report.error.empty());
    EXPECT_FALSE(DecodeJpegScaled(JpegInput{{}, "not a jpeg at all"}, 32, 24, out, &report));
    EXPECT_FALSE(DecodeJpegScaled(JpegInput{"/nonexistent/file.jpg", {}}, 32, 24, out, &report));
    // A header claiming 65500 x 65500 is refused before any decoding.
    std::string huge = JpegSoi() + JpegSof(0, 65500, 65500) + JpegEoi();
    EXPECT_FALSE(DecodeJpegScaled(JpegInput{{}, huge}, 200, 200, out, &report));
}

}  // namespace
}  // namespace htmlimglist
