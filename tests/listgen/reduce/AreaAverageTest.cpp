#include "listgen/reduce/AreaAverage.h"

#include <gtest/gtest.h>

#include <random>

#include "support/BoxReference.h"

namespace htmlimglist {
namespace {

using test::BoxAverageReference;

Bitmap Noise(int width, int height, unsigned seed) {
    std::mt19937 rng(seed);
    Bitmap b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 3 * width; ++x) b.Row(y)[x] = uint8_t(rng());
    return b;
}

Bitmap Averaged(const Bitmap& source, int width, int height) {
    AreaAverager averager;
    EXPECT_TRUE(averager.Start(source.Width(), source.Height(), width, height));
    for (int y = 0; y < source.Height(); ++y) averager.AddRow(source.Row(y));
    EXPECT_TRUE(averager.Done());
    return averager.Result();
}

void ExpectSamePixels(const Bitmap& a, const Bitmap& b) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << "at " << x << "," << y;
}

// Whole, fractional and one-pixel boxes, sides kept, sides taken down to 1.
TEST(AreaAverageTest, StreamedAverageEqualsThePlainArithmetic) {
    struct Case {
        int sw, sh, w, h;
    } cases[] = {{7, 5, 3, 2}, {64, 48, 8, 6}, {203, 151, 50, 37}, {10, 10, 10, 10}, {13, 1, 4, 1},
                 {1, 9, 1, 4},  {9, 9, 1, 1},   {255, 3, 254, 2},   {100, 7, 99, 7}};
    unsigned seed = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " to " << c.w << "x" << c.h);
        const Bitmap source = Noise(c.sw, c.sh, seed++);
        ExpectSamePixels(Averaged(source, c.w, c.h), BoxAverageReference(source, c.w, c.h));
    }
}

TEST(AreaAverageTest, FlatColourStaysExactlyThatColour) {
    for (Rgb colour : {Rgb{0, 0, 0}, Rgb{255, 255, 255}, Rgb{200, 101, 7}}) {
        const Bitmap flat(97, 61, colour);
        for (auto [w, h] : {std::pair{13, 9}, std::pair{96, 60}, std::pair{1, 1}})
            ExpectSamePixels(Averaged(flat, w, h), Bitmap(w, h, colour));
    }
}

TEST(AreaAverageTest, RepeatedRowsCountAsThatManyRows) {
    Bitmap source(20, 11, kWhite);
    source.FillRect(Rect{3, 4, 17, 8}, Rgb{10, 120, 250});
    AreaAverager averager;
    ASSERT_TRUE(averager.Start(20, 11, 6, 4));
    averager.AddRow(source.Row(0), 4);
    for (int y = 4; y < 8; ++y) averager.AddRow(source.Row(y));
    averager.AddRow(source.Row(8), 100);  // more than are left: the surplus is ignored
    EXPECT_TRUE(averager.Done());
    ExpectSamePixels(averager.Result(), BoxAverageReference(source, 6, 4));
}

}  // namespace
}  // namespace htmlimglist
