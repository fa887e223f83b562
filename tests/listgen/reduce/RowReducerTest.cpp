#include "listgen/reduce/RowReducer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include <jpeglib.h>

#include "support/BoxReference.h"
#include "support/Decoding.h"
#include "support/JpegFixtures.h"

namespace htmlimglist {
namespace {

// Feeds the rows the reducer asks for from a picture held as RGBA (alpha
// ignored), as a PNG or WebP decoder would.
Bitmap Reduce(const Bitmap& stored, const ReduceTarget& target) {
    std::vector<uint8_t> row(4 * std::size_t(stored.Width()));
    RowReducer reducer;
    EXPECT_TRUE(reducer.Start(stored.Width(), stored.Height(), target, 4));
    for (int64_t y; (y = reducer.NextRow()) >= 0;) {
        for (int x = 0; x < stored.Width(); ++x) std::copy_n(stored.Row(int(y)) + 3 * x, 3, row.data() + 4 * x);
        reducer.Take(row.data(), CopyRgb);
    }
    return reducer.Finish();
}

// Nearest: the upright picture sampled; smooth: the stored picture averaged,
// then turned (the same as averaging the upright one); enlarging: nearest.
TEST(RowReducerTest, RowsGiveTheUprightPictureNearestOrAveraged) {
    Bitmap stored(37, 23);
    std::mt19937 random(7);
    for (int y = 0; y < stored.Height(); ++y)
        for (int x = 0; x < 3 * stored.Width(); ++x) stored.Row(y)[x] = uint8_t(random());
    const std::pair<int, int> sizes[] = {{10, 6}, {6, 10}, {1, 1}, {40, 30}};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const Bitmap upright = TurnUpright(stored, orientation);
        for (auto [w, h] : sizes) {
            SCOPED_TRACE(testing::Message() << "orientation " << orientation << " to " << w << "x" << h);
            Bitmap nearest(w, h);
            nearest.StretchDraw(Rect{0, 0, w, h}, upright);
            EXPECT_TRUE(test::SamePixels(Reduce(stored, {w, h, orientation, false}), nearest));
            const bool reduces = w <= upright.Width() && h <= upright.Height();
            EXPECT_TRUE(test::SamePixels(Reduce(stored, {w, h, orientation, true}),
                             reduces ? test::BoxAverageReference(upright, w, h) : nearest));
        }
    }
}

// A picture that carries its own turn (a video's display matrix) and is
// turned again: one orientation does both, for each of the 64 pairs.
TEST(RowReducerTest, ComposedOrientationsTurnAsBothInTurn) {
    Bitmap stored(5, 3);
    for (int y = 0; y < stored.Height(); ++y)
        for (int x = 0; x < 3 * stored.Width(); ++x) stored.Row(y)[x] = uint8_t(16 * y + x);
    for (int first = 1; first <= 8; ++first) {
        for (int then = 1; then <= 8; ++then) {
            EXPECT_TRUE(test::SamePixels(TurnUpright(stored, ComposeOrientations(first, then)),
                                         TurnUpright(TurnUpright(stored, first), then)))
                << first << " then " << then;
        }
    }
}

// The DCT scale is chosen from the sizes alone; the sizes it promises are
// the ones libjpeg then decodes to.
TEST(RowReducerTest, TheDctScaleIsTheSmallestThatKeepsTwiceTheCopysSize) {
    struct Case {
        int width, height;
        int copyWidth, copyHeight;
        int numerator;
    } cases[] = {
        {2000, 1500, 100, 75, 1},   // 250 x 188
        {2000, 1500, 150, 112, 2},  // 1/8 gives 250: less than 300
        {203, 151, 100, 75, 8},     // no scale keeps 200 x 150
        {203, 151, 50, 37, 4},      // 102 x 76
        {9, 9, 1, 1, 1},            // ceil(9/8) = 2
        {1, 1, 1, 1, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " to " << c.copyWidth << "x" << c.copyHeight);
        const int n = DctScaleNumerator(c.width, c.height, c.copyWidth, c.copyHeight);
        EXPECT_EQ(n, c.numerator);
        const std::string jpeg = test::MakeJpeg({c.width, c.height});
        jpeg_decompress_struct codec;
        jpeg_error_mgr errors;
        codec.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&codec);
        jpeg_mem_src(&codec, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
        jpeg_read_header(&codec, TRUE);
        codec.scale_num = unsigned(n);
        codec.scale_denom = 8;
        jpeg_calc_output_dimensions(&codec);
        EXPECT_EQ(int(codec.output_width), (c.width * n + 7) / 8);
        EXPECT_EQ(int(codec.output_height), (c.height * n + 7) / 8);
        jpeg_destroy_decompress(&codec);
    }
}

}  // namespace
}  // namespace htmlimglist
