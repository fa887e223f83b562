// The raster bitmap: resizing, nearest-pixel stretching with centre
// sampling, clipping and masked drawing.
#include "platform/Bitmap.h"

#include <gtest/gtest.h>

#include <vector>

namespace htmlimglist {
namespace {

// A bitmap one row high whose red channel numbers the columns.
Bitmap Ramp(int width, int height = 1) {
    Bitmap b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b.SetPixel(x, y, Rgb{uint8_t(x), uint8_t(y), 7});
    return b;
}

std::vector<int> Reds(const Bitmap& b, int y = 0) {
    std::vector<int> out;
    for (int x = 0; x < b.Width(); ++x) out.push_back(b.Pixel(x, y).r);
    return out;
}

TEST(BitmapTest, ResizeKeepsTheSharedTopLeftAndWhitensTheRest) {
    Bitmap b = Ramp(3, 2);
    b.Resize(4, 1);
    EXPECT_EQ(Reds(b), (std::vector<int>{0, 1, 2, 255}));
    EXPECT_EQ(b.Pixel(3, 0), kWhite);
    b.Resize(2, 3);
    EXPECT_EQ(b.Pixel(1, 0), (Rgb{1, 0, 7}));
    EXPECT_EQ(b.Pixel(0, 2), kWhite);
    b.Resize(-5, 2);
    EXPECT_TRUE(b.Empty());
}

TEST(BitmapTest, StretchSamplesPixelCentres) {
    struct Case {
        int srcWidth, destWidth;
        std::vector<int> columns;
    };
    const Case cases[] = {
        {3, 7, {0, 0, 1, 1, 1, 2, 2}},
        {7, 3, {1, 3, 5}},
        {4, 4, {0, 1, 2, 3}},
        {2, 1, {1}},
        {1, 3, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.srcWidth * 100 + c.destWidth);
        Bitmap dest(c.destWidth, 1);
        dest.StretchDraw(Rect{0, 0, c.destWidth, 1}, Ramp(c.srcWidth));
        EXPECT_EQ(Reds(dest), c.columns);
    }
}

TEST(BitmapTest, DrawingIsClippedToTheBitmap) {
    Bitmap dest(4, 2, kBlack);
    // A rectangle hanging over the left and right edges: sampling stays
    // relative to the rectangle.
    dest.StretchDraw(Rect{-2, -1, 6, 3}, Ramp(4, 2));
    EXPECT_EQ(Reds(dest), (std::vector<int>{1, 1, 2, 2}));
    EXPECT_EQ(dest.Pixel(0, 0).g, 0);
    EXPECT_EQ(dest.Pixel(0, 1).g, 1);
    // Entirely outside, or empty: nothing happens.
    Bitmap before = dest;
    dest.StretchDraw(Rect{10, 0, 20, 2}, Ramp(4));
    dest.StretchDraw(Rect{0, 0, 0, 2}, Ramp(4));
    dest.StretchDraw(Rect{0, 0, 4, 2}, Bitmap());
    dest.FillRect(Rect{3, 1, 2, 5}, kWhite);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dest.Pixel(x, 1), before.Pixel(x, 1));
}

TEST(BitmapTest, MaskedDrawKeepsTheDestinationUnderSetBits) {
    MonoBitmap mask(3, 1);
    mask.Set(1, 0);
    EXPECT_TRUE(mask.Any());
    EXPECT_EQ(mask.RowBytes(), 2u);
    Bitmap dest(6, 1, Rgb{9, 9, 9});
    dest.StretchDrawMasked(Rect{0, 0, 6, 1}, Ramp(3), mask);
    EXPECT_EQ(Reds(dest), (std::vector<int>{0, 0, 9, 9, 2, 2}));
}

TEST(BitmapTest, StretchCopyReadsOutsideTheSourceAsWhite) {
    Bitmap dest(4, 1, kBlack);
    dest.StretchCopy(Rect{0, 0, 4, 1}, Ramp(3), Rect{1, 0, 5, 1});
    EXPECT_EQ(Reds(dest), (std::vector<int>{1, 2, 255, 255}));
    // Copying a bitmap onto itself reads the old pixels.
    Bitmap self = Ramp(4);
    self.StretchCopy(Rect{0, 0, 4, 1}, self, Rect{0, 0, 2, 1});
    EXPECT_EQ(Reds(self), (std::vector<int>{0, 0, 1, 1}));
}

}  // namespace
}  // namespace htmlimglist
