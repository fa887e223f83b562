// The LZW decoder: code widths, clear and end codes, sub-block boundaries,
// interlacing, and data that stops early or is damaged.
#include <gtest/gtest.h>

#include <random>

#include "GifTestSupport.h"
#include "gif/GIFException.h"

namespace htmlimglist::test {
namespace {

using Warnings = std::vector<std::string>;

std::vector<uint8_t> RandomIndices(std::size_t n, int colours, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (auto& v : out) v = static_cast<uint8_t>(rng() % static_cast<unsigned>(colours));
    return out;
}

// Pixels that round-trip through the encoder under various code streams.
TEST(GifDecoderTest, RoundTrips) {
    struct Case {
        const char* name;
        int width, height, minCodeSize;
        std::vector<uint8_t> pixels;
        LzwOptions lzw;
    };
    LzwOptions noLeadingClear;
    noLeadingClear.leadingClears = 0;
    LzwOptions threeClears;
    threeClears.leadingClears = 3;
    LzwOptions tinyBlocks;
    tinyBlocks.blockSize = 1;
    LzwOptions oddBlocks;
    oddBlocks.blockSize = 7;
    LzwOptions fullTable;
    fullTable.clearWhenFull = false;
    const Case cases[] = {
        {"plain", 3, 2, 2, {0, 1, 2, 3, 2, 1}, {}},
        {"no leading clear code", 3, 2, 2, {0, 1, 2, 3, 2, 1}, noLeadingClear},
        {"repeated clear codes", 3, 2, 2, {3, 1, 2, 3, 2, 1}, threeClears},
        {"one run of a value (KwKwK codes)", 50, 40, 2, std::vector<uint8_t>(2000, 3), {}},
        {"1-byte sub-blocks", 30, 30, 3, RandomIndices(900, 8, 1), tinyBlocks},
        {"7-byte sub-blocks", 30, 30, 3, RandomIndices(900, 8, 2), oddBlocks},
        {"two colours", 16, 4, 2, RandomIndices(64, 2, 3), {}},
        {"minimum code size 8, table refills", 300, 200, 8, RandomIndices(60000, 256, 4), {}},
        {"full table without a clear", 300, 200, 8, RandomIndices(60000, 256, 5), fullTable},
        {"full table without a clear, few colours", 400, 300, 2, RandomIndices(120000, 3, 6), fullTable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrameRecipe recipe = Recipe(c.width, c.height, c.pixels, c.minCodeSize);
        recipe.lzw = c.lzw;
        std::vector<TGIFColor> colours(std::size_t{1} << std::max(c.minCodeSize, 1), TGIFColor{1, 2, 3});
        Loaded l = Load(GifBuilder().Header(c.width, c.height, colours).Frame(recipe).Trailer().bytes());
        ASSERT_EQ(l.error, "");
        EXPECT_EQ(l.warnings(), Warnings{});
        ASSERT_EQ(l.image->Images().Count(), 1);
        EXPECT_EQ(Indices(l.image->Images().SubImage(0)), c.pixels);
    }
}

TEST(GifDecoderTest, InterlacedRowsComeInFourPasses) {
    for (int height : {1, 2, 5, 9, 17}) {
        SCOPED_TRACE(height);
        std::vector<uint8_t> pixels;
        for (int row = 0; row < height; ++row) pixels.insert(pixels.end(), {uint8_t(row), uint8_t(row + 1)});
        FrameRecipe recipe = Recipe(2, height, pixels, 5);
        recipe.interlaced = true;
        Loaded l = Load(GifBuilder().Header(2, height, std::vector<TGIFColor>(32, TGIFColor{9, 9, 9})).Frame(recipe).Trailer().bytes());
        ASSERT_EQ(l.error, "");
        EXPECT_EQ(Indices(l.image->Images().SubImage(0)), pixels);
    }
    // Data for only the first two stored rows of a 5-row frame fills rows 0
    // and 4; the others keep the fill value.
    FrameRecipe recipe = Recipe(2, 5, {}, 3);
    recipe.interlaced = true;
    Bytes data = SubBlocks(LzwCodes({1, 1, 2, 2}, 3));
    Loaded l = Load(GifBuilder().Header(2, 5, kRgbw).Descriptor(recipe).Raw({3}).Raw(data).Trailer().bytes());
    ASSERT_EQ(l.error, "");
    EXPECT_EQ(l.warnings(), Warnings{});
    EXPECT_EQ(Indices(l.image->Images().SubImage(0)), (std::vector<uint8_t>{1, 1, 0, 0, 0, 0, 0, 0, 2, 2}));
}

// Data that ends before the frame is full: what is there is decoded, the
// rest keeps the fill (the transparent index when there is one).
TEST(GifDecoderTest, ShortDataKeepsTheFill) {
    std::vector<uint8_t> pixels = RandomIndices(400, 4, 7);
    Bytes codes = LzwCodes(pixels, 2);
    Bytes blocks = SubBlocks(codes, 50);
    struct Case {
        const char* name;
        bool minCodeSize;  // the byte before the data
        Bytes data;
        bool transparent;
        std::size_t decodedAtLeast;
        Warnings warnings;
    };
    const Warnings underrun{"Decoder bit buffer under-run"};
    const Case cases[] = {
        {"cut in a sub-block", true, Bytes(blocks.begin(), blocks.begin() + 30), false, 40, {"Premature end of data"}},
        {"cut in a sub-block, transparent", true, Bytes(blocks.begin(), blocks.begin() + 30), true, 40,
         {"Premature end of data"}},
        {"cut after a sub-block", true, Bytes(blocks.begin(), blocks.begin() + 51), false, 60, {}},
        {"terminator before the end", true, SubBlocks(Bytes(codes.begin(), codes.begin() + 40), 50), false, 50,
         {underrun[0], underrun[0]}},
        {"end code before the end", true, SubBlocks(LzwCodes(Bytes(pixels.begin(), pixels.begin() + 100), 2)), false,
         100, {}},
        {"no minimum code size", false, {}, false, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GifBuilder b;
        b.Header(20, 20, kRgbw);
        if (c.transparent) b.GraphicControl(true, 3);
        b.Descriptor(Recipe(20, 20, {}));
        if (c.minCodeSize) b.Raw({2});
        b.Raw(c.data);
        Loaded l = Load(b.bytes());
        ASSERT_EQ(l.error, "");
        std::vector<uint8_t> got = Indices(l.image->Images().SubImage(0));
        uint8_t fill = c.transparent ? 3 : 0;
        std::size_t decoded = 0;
        while (decoded < got.size() && got[decoded] == pixels[decoded]) ++decoded;
        EXPECT_GE(decoded, c.decodedAtLeast);
        EXPECT_EQ(got.back(), fill);
        if (std::string(c.name) == "terminator before the end") {
            // The code cut by the terminator decodes to whatever its bits
            // say. Warned when no bit at all is left for a code: at the last
            // pixel and at the extra read, or never when a few bits remain.
            for (const std::string& w : l.warnings()) EXPECT_EQ(w, underrun[0]);
        } else {
            for (std::size_t i = decoded; i < got.size(); ++i)
                if (got[i] != fill && got[i] != pixels[i]) FAIL() << "pixel " << i << " is neither decoded nor fill";
            EXPECT_EQ(l.warnings(), c.warnings);
        }
    }
}

// A code that ends on the last bit of a sub-block is read after the next
// size byte; when that is the terminator, the code still comes from the two
// bytes carried over.
TEST(GifDecoderTest, CodeEndingOnSubBlockBoundary) {
    // Minimum code size 3: 4-bit codes while the table fills slots 10..15,
    // so a clear and seven literals fill exactly four bytes.
    Bytes codes = PackCodes({{8, 4}, {1, 4}, {2, 4}, {3, 4}, {1, 4}, {2, 4}, {3, 4}, {5, 4}});
    ASSERT_EQ(codes.size(), 4u);
    Loaded l = Load(
        GifBuilder().Header(7, 1, kRgbw).Descriptor(Recipe(7, 1, {})).Raw({3}).Raw(SubBlocks(codes)).Trailer().bytes());
    ASSERT_EQ(l.error, "");
    EXPECT_EQ(Indices(l.image->Images().SubImage(0)), (std::vector<uint8_t>{1, 2, 3, 1, 2, 3, 5}));
    // The extra read after the last pixel finds no bits left.
    EXPECT_EQ(l.warnings(), Warnings{"Decoder bit buffer under-run"});
}

TEST(GifDecoderTest, DamagedTablesAndCodeSizes) {
    struct Case {
        const char* name;
        int minCodeSize;
        Bytes codes;
        std::string error;
    };
    const Case cases[] = {
        // clear, 7 (first, stands for itself), 6 (not yet in the table), 0:
        // slots 6 and 7 now point at each other, and code 6 walks in circles.
        {"two-entry loop", 2, PackCodes({{4, 3}, {7, 3}, {6, 3}, {0, 3}, {6, 4}}), "Circular decoder table entry"},
        // clear, 0, 7, 7: slot 7's prefix is slot 7.
        {"entry that is its own prefix", 2, PackCodes({{4, 3}, {0, 3}, {7, 3}, {7, 3}, {7, 4}}),
         "Circular decoder table entry"},
        {"minimum code size 13", 13, PackCodes({{1, 14}}), "Invalid GIF data"},
        {"minimum code size 12, code past the table", 12, PackCodes({{4096, 13}, {8000, 13}, {4099, 13}}),
         "Invalid GIF data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto damaged = [&](GifBuilder& b) {
            b.Descriptor(Recipe(10, 10, {})).Raw({static_cast<uint8_t>(c.minCodeSize)}).Raw(SubBlocks(c.codes));
        };
        // In the first frame the damage fails the load.
        GifBuilder first;
        first.Header(10, 10, kRgbw);
        damaged(first);
        EXPECT_EQ(Load(first.Trailer().bytes()).error, c.error);

        // In a later frame it is found only when that frame's pixels are
        // read; the load and the first frame's drawing go on.
        GifBuilder later;
        later.Header(10, 10, kRgbw).Frame(Recipe(2, 1, {0, 1}));
        damaged(later);
        Loaded l = Load(later.Trailer().bytes());
        EXPECT_EQ(l.error, "");
        ASSERT_EQ(l.image->Images().Count(), 2);
        Bitmap target(10, 10);
        l.image->Draw(target, Rect{0, 0, 10, 10});
        EXPECT_EQ(target.Pixel(0, 0), (Rgb{255, 0, 0}));
        TGIFSubImage& frame = l.image->Images().SubImage(1);
        for (int ask = 0; ask < 2; ++ask) {  // raised again, not decoded again
            try {
                frame.PixelIndex(0, 0);
                ADD_FAILURE() << "no error";
            } catch (const GIFException& e) {
                EXPECT_EQ(e.what(), c.error);
            }
            EXPECT_EQ(frame.GetAllocatedSize(), 0);
        }
        EXPECT_THROW(frame.GetBitmap(), GIFException);
    }
}

TEST(GifDecoderTest, MorePixelValuesThanPixelsLeaveTheStreamInTheData) {
    // The end code is never reached: the frame reader meets the rest of the
    // data, here a sub-block size byte that starts no block.
    LzwOptions lzw;
    lzw.endCode = true;
    FrameRecipe recipe = Recipe(2, 1, {});
    Bytes data = SubBlocks(LzwCodes(RandomIndices(600, 4, 9), 2), 20);
    Loaded l = Load(GifBuilder().Header(2, 1, kRgbw).Descriptor(recipe).Raw({2}).Raw(data).Trailer().bytes());
    EXPECT_EQ(l.error, "");
    ASSERT_FALSE(l.warnings().empty());
    EXPECT_EQ(l.warnings().front(), "Unknown GIF block type");
}

}  // namespace
}  // namespace htmlimglist::test
