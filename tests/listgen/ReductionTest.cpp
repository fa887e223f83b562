#include "listgen/Reduction.h"

#include <gtest/gtest.h>

#include <random>

#include "support/BoxReference.h"

namespace htmlimglist {
namespace {

// Feeds the rows the reducer asks for from a picture held as RGBA (alpha
// ignored), as a PNG or WebP decoder would.
Bitmap Reduce(const Bitmap& stored, int width, int height, const Reduction& how) {
    std::vector<uint8_t> row(4 * std::size_t(stored.Width()));
    RowReducer reducer;
    EXPECT_TRUE(reducer.Start(stored.Width(), stored.Height(), width, height, how, 4));
    for (int64_t y; (y = reducer.NextRow()) >= 0;) {
        for (int x = 0; x < stored.Width(); ++x) std::copy_n(stored.Row(int(y)) + 3 * x, 3, row.data() + 4 * x);
        reducer.Take(row.data(), [](const uint8_t* p, uint8_t* rgb) { rgb[0] = p[0], rgb[1] = p[1], rgb[2] = p[2]; });
    }
    return reducer.Finish();
}

bool Same(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        if (!std::equal(a.Row(y), a.Row(y) + 3 * a.Width(), b.Row(y))) return false;
    return true;
}

// Nearest: the upright picture sampled; smooth: the stored picture averaged,
// then turned (the same as averaging the upright one); enlarging: nearest.
TEST(ReductionTest, RowsGiveTheUprightPictureNearestOrAveraged) {
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
            EXPECT_TRUE(Same(Reduce(stored, w, h, {orientation, false}), nearest));
            const bool reduces = w <= upright.Width() && h <= upright.Height();
            EXPECT_TRUE(Same(Reduce(stored, w, h, {orientation, true}),
                             reduces ? test::BoxAverageReference(upright, w, h) : nearest));
        }
    }
}

}  // namespace
}  // namespace htmlimglist
