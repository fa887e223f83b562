#include "listgen/FitImageSize.h"

#include <gtest/gtest.h>

namespace htmlimglist {
namespace {

struct FitCase {
    int32_t w, h, limit;
    Zoom zoom;
    int32_t fw, fh;
    bool unscaled;
};

TEST(FitImageSizeTest, TruncatingFourDecimalRatio) {
    const FitCase cases[] = {
        {700, 300, 350, Zoom::KeepSmaller, 350, 149, false},  // ratio 4285 truncates twice
        {1600, 1200, 200, Zoom::KeepSmaller, 200, 150, false},
        {480, 640, 200, Zoom::KeepSmaller, 150, 200, false},
        {200, 200, 200, Zoom::KeepSmaller, 200, 200, true},  // the limit itself keeps its size
        {100, 80, 200, Zoom::KeepSmaller, 100, 80, true},
        {100, 80, 200, Zoom::EnlargeSmaller, 200, 160, false},
        {200, 100, 200, Zoom::EnlargeSmaller, 200, 100, false},
        {1000, 1, 200, Zoom::KeepSmaller, 200, 1, false},  // height 0 becomes 1
        {1, 1000, 200, Zoom::KeepSmaller, 1, 200, false},
        {65535, 65535, 2147483647, Zoom::EnlargeSmaller, 2147483647, 2147483647, false},  // no overflow
        {0, 0, 200, Zoom::EnlargeSmaller, 1, 1, false},  // no division by zero
        {0, 0, 200, Zoom::KeepSmaller, 1, 1, true},
        {640, 480, -5, Zoom::KeepSmaller, 1, 1, false},  // a negative limit never gives sizes below 1
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.limit);
        FittedSize fit = FitImageSize(c.w, c.h, c.limit, c.zoom);
        EXPECT_EQ(fit.width, c.fw);
        EXPECT_EQ(fit.height, c.fh);
        EXPECT_EQ(fit.unscaled, c.unscaled);
    }
}

}  // namespace
}  // namespace htmlimglist
