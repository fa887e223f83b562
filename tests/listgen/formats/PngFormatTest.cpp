#include "listgen/formats/Registry.h"

#include <gtest/gtest.h>

#include <atomic>

#include "listgen/FolderListWriter.h"
#include "listgen/reduce/Orientation.h"
#include "support/BoxReference.h"
#include "support/Decoding.h"
#include "support/Fixtures.h"
#include "support/PngFixtures.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using namespace test;

bool DecodePng(const std::string& png, int width, int height, Bitmap& out, DecodeReport* report = nullptr,
               int orientation = 1, bool smooth = false) {
    return DecodeScaled(ImageKind::Png, FromBytes(png), width, height, out, report, orientation, smooth);
}

// The widest row the decoder takes (its limit for libpng).
constexpr uint32_t kLibpngWidthLimit = uint32_t(1) << 20;
using namespace std::string_literals;

// What a reduced copy must be: the whole picture laid over white, turned
// upright, then sampled at the nearest pixel or area-averaged.
Bitmap Expected(const Bitmap& full, int w, int h, int orientation, bool smooth) {
    const Bitmap upright = TurnUpright(full, orientation);
    if (smooth && w <= upright.Width() && h <= upright.Height()) return BoxAverageReference(upright, w, h);
    Bitmap nearest(w, h);
    nearest.StretchDraw(Rect{0, 0, w, h}, upright);
    return nearest;
}

std::string Describe(const PngRecipe& r) {
    return "colour type " + std::to_string(int(r.colour)) + ", " + std::to_string(r.depth) + " bits" +
           (r.transparency ? ", tRNS" : "") + (r.interlaced ? ", interlaced" : "");
}

// Every colour type at every bit depth, with and without tRNS where it
// applies, row by row and interlaced, both ways of reducing, three turns.
TEST(PngFormatTest, EveryKindOfSourceGivesTheExactPicture) {
    struct Kind {
        PngColour colour;
        std::vector<int> depths;
        bool keyed;  // may carry a tRNS chunk
    };
    const Kind kinds[] = {{PngColour::Grey, {1, 2, 4, 8, 16}, true},  {PngColour::GreyAlpha, {8, 16}, false},
                          {PngColour::Rgb, {8, 16}, true},            {PngColour::Rgba, {8, 16}, false},
                          {PngColour::Palette, {1, 2, 4, 8}, true}};
    const struct {
        int w, h, orientation;
        bool smooth;
    } targets[] = {{40, 30, 1, false}, {13, 9, 1, false}, {13, 9, 1, true},  {9, 13, 6, false},
                 {9, 13, 6, true},   {17, 11, 3, true}, {60, 50, 8, true}, {1, 1, 1, true}};
    for (const Kind& kind : kinds) {
        for (int depth : kind.depths) {
            for (bool transparency : {false, true}) {
                if (transparency && !kind.keyed) continue;
                for (bool interlaced : {false, true}) {
                    PngRecipe recipe{40, 30, kind.colour, depth, interlaced, transparency};
                    const std::string png = MakePng(recipe);
                    const Bitmap full = PngPictureOverWhite(recipe);
                    for (const auto& target : targets) {
                        SCOPED_TRACE(Describe(recipe) + " to " + std::to_string(target.w) + "x" + std::to_string(target.h) +
                                     " orientation " + std::to_string(target.orientation) +
                                     (target.smooth ? " smooth" : " nearest"));
                        Bitmap out;
                        DecodeReport report;
                        ASSERT_TRUE(DecodePng(png, target.w, target.h, out, &report, target.orientation, target.smooth))
                            << report.error;
                        EXPECT_EQ(report.sourceWidth, 40);
                        EXPECT_EQ(report.warnings, 0);
                        EXPECT_TRUE(SamePixels(out, Expected(full, target.w, target.h, target.orientation, target.smooth)));
                    }
                }
            }
        }
    }
}

// libpng's scaling of 16-bit samples against (v·255 + 32767) / 65535 for
// every one of the 65536 values, each held by one pixel.
TEST(PngFormatTest, SixteenBitSamplesRoundToEightBits) {
    const PngRecipe recipe{256, 256, PngColour::Grey, 16};
    Bitmap out;
    ASSERT_TRUE(DecodePng(MakePng(recipe), 256, 256, out));
    EXPECT_TRUE(SamePixels(out, PngPictureOverWhite(recipe)));
}

TEST(PngFormatTest, TheDefaultImageOfAnAnimatedPngIsDecoded) {
    PngRecipe recipe;
    recipe.beforeImage = PngChunk("acTL", std::string("\0\0\0\2\0\0\0\0", 8)) + PngChunk("fcTL", std::string(26, '\0'));
    recipe.afterImage = PngChunk("fcTL", std::string(26, '\1')) + PngChunk("fdAT", std::string(40, '\x55'));
    Bitmap out;
    DecodeReport report;
    ASSERT_TRUE(DecodePng(MakePng(recipe), 20, 15, out, &report)) << report.error;
    EXPECT_TRUE(SamePixels(out, Expected(PngPictureOverWhite(recipe), 20, 15, 1, false)));
}

// A chunk with its CRC broken: the IHDR's or an IDAT's ends the decode; an
// ancillary chunk's is passed over with a warning.
std::string BreakCrcOf(std::string png, const std::string& type) {
    const std::size_t at = png.find(type);
    const uint32_t length = uint32_t(uint8_t(png[at - 4])) << 24 | uint32_t(uint8_t(png[at - 3])) << 16 |
                            uint32_t(uint8_t(png[at - 2])) << 8 | uint8_t(png[at - 1]);
    png[at + 4 + length] ^= 1;
    return png;
}

TEST(PngFormatTest, DamagedSourcesFailCleanlyOrDecodeWithWarnings) {
    PngRecipe recipe{64, 48};
    recipe.beforeImage = PngChunk("tEXt", "Comment\0hello"s);
    const std::string good = MakePng(recipe);
    Bitmap out;
    DecodeReport report;
    ASSERT_TRUE(DecodePng(good, 32, 24, out, &report)) << report.error;
    EXPECT_EQ(report.warnings, 0);

    EXPECT_TRUE(DecodePng(BreakCrcOf(good, "tEXt"), 32, 24, out, &report)) << report.error;
    EXPECT_GT(report.warnings, 0);
    EXPECT_TRUE(SamePixels(out, Expected(PngPictureOverWhite(recipe), 32, 24, 1, false)));

    const struct {
        const char* what;
        std::string bytes;
    } broken[] = {
        {"IDAT CRC", BreakCrcOf(good, "IDAT")},
        {"IHDR CRC", BreakCrcOf(good, "IHDR")},
        {"cut in the middle", good.substr(0, good.size() / 2)},
        {"compressed data garbled", PngHead(8, 8) + PngChunk("IDAT", std::string(30, '\x13')) + PngChunk("IEND", "")},
        {"no IDAT", PngHead(8, 8) + PngChunk("IEND", "")},
        {"palette type without PLTE", PngHead(8, 8, 8, 3) + PngChunk("IDAT", "\x78\x01"s)},
        {"not a PNG", "GIF89a"},
    };
    // At full size every row is read, and with the last one the IDAT CRC.
    for (const auto& b : broken) {
        EXPECT_FALSE(DecodePng(b.bytes, 64, 48, out, &report)) << b.what;
        EXPECT_FALSE(report.error.empty()) << b.what;
    }
}

// The refusals come from the header alone: nothing is allocated for the
// picture, so these files need only claim their size.
TEST(PngFormatTest, HugeSourcesAreRefusedBeforeAnyPixelIsRead) {
    const std::string data = PngChunk("IDAT", "\x78\x01"s) + PngChunk("IEND", "");
    const struct {
        const char* what;
        std::string bytes;
    } huge[] = {
        {"interlaced over 2^26 pixels", PngHead(8193, 8192, 8, 2, 1) + data},
        {"over 2^30 pixels", PngHead(32769, 32768) + data},
    };
    for (const auto& h : huge) {
        Bitmap out;
        DecodeReport report;
        EXPECT_FALSE(DecodePng(h.bytes, 100, 100, out, &report)) << h.what;
        EXPECT_NE(report.error.find("refused"), std::string::npos) << h.what << ": " << report.error;
    }
    // libpng's own limit, set to the row width.
    Bitmap out;
    DecodeReport report;
    EXPECT_FALSE(DecodePng(PngHead(kLibpngWidthLimit + 1, 1) + data, 100, 1, out, &report));
    EXPECT_TRUE(DecodePng(MakePng({int(kLibpngWidthLimit), 1, PngColour::Grey, 1}), 100, 1, out, &report))
        << report.error;
    // Just inside: an interlaced 2^26-pixel header is taken on, then fails
    // for want of data.
    EXPECT_FALSE(DecodePng(PngHead(8192, 8192, 1, 0, 1) + data, 100, 100, out, &report));
    EXPECT_EQ(report.error.find("refused"), std::string::npos) << report.error;
}

// 400 million pixels of one colour, read row by row into a 200 x 200 copy
// (bench/peers.sh measures the peak memory of such a run).
TEST(PngFormatTest, AHugeRowByRowSourceIsReducedWithoutHoldingIt) {
    PngRecipe recipe{20000, 20000, PngColour::Rgb, 8};
    recipe.flat = true;
    recipe.zlibLevel = 1;
    const std::string png = MakePng(recipe);
    Bitmap out;
    DecodeReport report;
    ASSERT_TRUE(DecodePng(png, 200, 200, out, &report)) << report.error;
    const Bitmap colour = Expected(PngPictureOverWhite({1, 1, PngColour::Rgb, 8}), 200, 200, 1, false);
    EXPECT_TRUE(SamePixels(out, colour));
}

// Through the writer: with MoreImageTypes a PNG gets its cell (type, size,
// animation) and an upright JPEG copy; an interlaced one too large to hold
// keeps its cell without a copy; without the condition a PNG is no image.
class PngPageTest : public ::testing::Test {
protected:
    TempDir dir;
    GenerationOptions options;
    RunView view;
    std::string parent = dir.Make("album");
    std::string folder = dir.Make("album/00001");

    std::string Run() {
        FolderListWriter writer(options, view);
        writer.SetSelectedFolder(folder);
        EXPECT_TRUE(writer.MakeList(kReducedList, 6, 20).saved());
        return ReadFile(parent + "/index.html");
    }
};

TEST_F(PngPageTest, PngsAreListedAndCopiedOnlyWithMoreImageTypes) {
    options.MakeSmallImage = options.ImageInfo = true;
    PngRecipe turned{40, 30, PngColour::Rgba, 8};
    turned.beforeImage = PngChunk("eXIf", ExifData(ExifRecipe{true, 6}).substr(6));  // bare TIFF data
    WriteFile(folder + "/turned.png", MakePng(turned));
    PngRecipe animated{20, 10};
    animated.beforeImage = PngChunk("acTL", std::string("\0\0\0\2\0\0\0\0", 8));
    WriteFile(folder + "/moving.png", MakePng(animated));
    WriteFile(folder + "/huge.png", PngHead(8193, 8192, 8, 2, 1) + PngChunk("IDAT", "\x78\x01"s));

    const std::string without = Run();
    EXPECT_EQ(without.find("<td>"), std::string::npos) << without;
    EXPECT_FALSE(FileExists(parent + "/turned.png"));

    options.MoreImageTypes = true;
    const std::string page = Run();
    for (const char* name : {"turned.png", "moving.png", "huge.png"})
        EXPECT_NE(page.find(std::string("00001/") + name), std::string::npos) << name;
    EXPECT_NE(page.find("PNG"), std::string::npos);
    EXPECT_NE(page.find("Animation"), std::string::npos);
    EXPECT_FALSE(FileExists(parent + "/huge.png"));

    // The copy: JPEG data, upright (30 x 40 turned to fit 20), equal to the
    // picture turned and sampled, give or take JPEG's loss.
    Bitmap copy;
    ASSERT_TRUE(DecodeFull(ImageKind::Jpeg, FromFile(parent + "/turned.png"), copy));
    ASSERT_EQ(copy.Width(), 15);
    ASSERT_EQ(copy.Height(), 20);
    const Bitmap expected = Expected(PngPictureOverWhite(turned), 15, 20, 6, false);
    int difference = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 45; ++x) difference += std::abs(copy.Row(y)[x] - expected.Row(y)[x]);
    // The picture is noise, which quality 75 keeps near, not equal (an
    // unturned or wrong picture is off by about 85).
    EXPECT_LT(difference / (20 * 45), 40);
    EXPECT_TRUE(FileExists(parent + "/moving.png"));
}

}  // namespace
}  // namespace htmlimglist
