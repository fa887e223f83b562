// Drawing a loaded image onto a bitmap: frame bitmaps, transparency, frame
// placement, the road for several frames, palettes and dithering.
#include <gtest/gtest.h>

#include "GifTestSupport.h"
#include "gif/GIFException.h"
#include "gif/GIFGraphicControlExtension.h"
#include "support/TempDir.h"

namespace htmlimglist::test {
namespace {

const std::vector<TGIFColor> kRgbk = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 0, 0}};
constexpr Rgb R{255, 0, 0}, G{0, 255, 0}, B{0, 0, 255}, K{0, 0, 0}, W{255, 255, 255};
constexpr Rgb Grey{100, 100, 100};

std::vector<Rgb> Pixels(const Bitmap& b) {
    std::vector<Rgb> out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) out.push_back(b.Pixel(x, y));
    return out;
}

// Loads bytes that must load, and draws them into a fresh width x height
// bitmap filled with background.
Bitmap Drawn(const Bytes& bytes, int width, int height, Rgb background = W,
             TGIFDrawOptions options = GIFImageDefaultDrawOptions) {
    Loaded l = Load(bytes);
    EXPECT_EQ(l.error, "");
    l.image->DrawOptions = options;
    Bitmap target(width, height, background);
    l.image->Draw(target, Rect{0, 0, width, height});
    return target;
}

TEST(GifRenderTest, SingleFrameTransparency) {
    // 4 x 2 pixels, index 3 (black) being the transparent one where asked.
    const std::vector<uint8_t> pixels = {0, 3, 1, 3, 2, 2, 3, 0};
    struct Case {
        const char* name;
        bool gce, transparent;
        uint8_t index;
        std::vector<Rgb> expected;
    };
    const Case cases[] = {
        {"transparent index 3", true, true, 3, {R, W, G, W, B, B, W, R}},
        {"no graphic control", false, false, 0, {R, K, G, K, B, B, K, R}},
        {"graphic control without transparency", true, false, 3, {R, K, G, K, B, B, K, R}},
        {"transparent index no pixel has", true, true, 200, {R, K, G, K, B, B, K, R}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GifBuilder b;
        b.Header(4, 2, kRgbk);
        if (c.gce) b.GraphicControl(c.transparent, c.index);
        b.Frame(Recipe(4, 2, pixels)).Trailer();
        EXPECT_EQ(Pixels(Drawn(b.bytes(), 4, 2)), c.expected);
        // Stretched to twice the size, each pixel becomes a 2 x 2 block.
        Bitmap big = Drawn(b.bytes(), 8, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) EXPECT_EQ(big.Pixel(x, y), c.expected[(y / 2) * 4 + x / 2]);
    }
}

TEST(GifRenderTest, FrameSmallerThanTheScreenPaintsOnlyItsPlace) {
    FrameRecipe recipe = Recipe(2, 2, {0, 1, 2, 0});
    recipe.left = 2;
    recipe.top = 1;
    Bytes bytes = GifBuilder().Header(4, 4, kRgbk, 2).Frame(recipe).Trailer().bytes();
    Bitmap target = Drawn(bytes, 8, 8, Grey);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            bool inside = x >= 4 && y >= 2 && y < 6;
            Rgb expected = !inside ? Grey : recipe.pixels[((y - 2) / 2) * 2 + (x - 4) / 2] == 0 ? R
                                        : recipe.pixels[((y - 2) / 2) * 2 + (x - 4) / 2] == 1 ? G
                                                                                             : B;
            EXPECT_EQ(target.Pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST(GifRenderTest, ScaleRectRoundsLikeMulDiv) {
    struct Case {
        int a, b, c, expected;
    };
    const Case cases[] = {{1, 3, 2, 2}, {1, 1, 3, 0}, {2, 1, 3, 1}, {-1, 3, 2, -2}, {5, 7, 0, -1},
                          {1 << 30, 4, 1, -1}, {7, 10, 10, 7}};
    for (const Case& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;

    FrameRecipe recipe = Recipe(1, 1, {0});
    recipe.left = 1;
    recipe.top = 1;
    Loaded l = Load(GifBuilder().Header(3, 3, kRgbk).Frame(recipe).Trailer().bytes());
    const TGIFSubImage& frame = l.image->Images().SubImage(0);
    EXPECT_EQ(frame.ScaleRect(Rect{10, 20, 20, 25}), (Rect{13, 22, 17, 23}));
    // A screen of size 0 gives -1 for every division: an empty rectangle.
    Loaded zero = Load(GifBuilder().Header(0, 0, kRgbk).Frame(recipe).Trailer().bytes());
    EXPECT_TRUE(zero.image->Images().SubImage(0).ScaleRect(Rect{0, 0, 10, 10}).IsEmpty());
}

TEST(GifRenderTest, NothingIsDrawnForEmptyScreensImagesOrRectangles) {
    Bytes oneFrame = GifBuilder().Header(0, 0, kRgbk).Frame(Recipe(2, 2, {0, 1, 2, 0})).Trailer().bytes();
    Bytes twoFrames =
        GifBuilder().Header(0, 5, kRgbk).Frame(Recipe(2, 2, {0, 1, 2, 0})).Frame(Recipe(2, 2, {0, 0, 0, 0})).bytes();
    Bytes noFrames = GifBuilder().Header(2, 2, kRgbk).Trailer().bytes();
    for (const Bytes* bytes : {&oneFrame, &twoFrames, &noFrames}) {
        EXPECT_EQ(Pixels(Drawn(*bytes, 3, 3, Grey)), std::vector<Rgb>(9, Grey));
    }
    Loaded l = Load(GifBuilder().Header(2, 2, kRgbk).Frame(Recipe(2, 2, {0, 1, 2, 0})).Frame(Recipe(2, 2, {1, 1, 1, 1})).bytes());
    Bitmap target(3, 3, Grey);
    l.image->Draw(target, Rect{1, 1, 1, 3});
    EXPECT_EQ(Pixels(target), std::vector<Rgb>(9, Grey));
}

// With several frames, the first frame is composed over a copy of the target
// area at the logical screen's size; later frames never show, and the first
// frame's disposal method changes nothing.
TEST(GifRenderTest, AnimatedImageShowsItsFirstFrameOverTheTarget) {
    auto animation = [](int disposal) {
        return GifBuilder()
            .Header(2, 2, kRgbk)
            .Application("NETSCAPE2.0", {{1, 0, 0}})
            .GraphicControl(true, 3, disposal, 10)
            .Frame(Recipe(2, 2, {0, 3, 3, 1}))
            .GraphicControl(false, 0, 1, 10)
            .Frame(Recipe(2, 2, {2, 2, 2, 2}))
            .Trailer()
            .bytes();
    };
    // A target whose pixels can be told apart.
    auto target = [](int w, int h) {
        Bitmap t(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) t.SetPixel(x, y, Rgb{uint8_t(10 + x), uint8_t(20 + y), 99});
        return t;
    };
    for (int disposal = 0; disposal < 8; ++disposal) {
        SCOPED_TRACE(disposal);
        Loaded l = Load(animation(disposal));
        ASSERT_EQ(l.error, "");
        Bitmap same = target(2, 2);
        l.image->Draw(same, Rect{0, 0, 2, 2});
        EXPECT_EQ(Pixels(same), (std::vector<Rgb>{R, Rgb{11, 20, 99}, Rgb{10, 21, 99}, G}));
    }
    // At 4 x 4 the target is first taken down to 2 x 2 (pixel centres 1 and
    // 3), then the result is stretched back up.
    Loaded l = Load(animation(2));
    Bitmap big = target(4, 4);
    l.image->Draw(big, Rect{0, 0, 4, 4});
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            int cx = x / 2, cy = y / 2;
            Rgb expected = (cx == 0 && cy == 0) ? R
                           : (cx == 1 && cy == 1)
                               ? G
                               : Rgb{uint8_t(10 + 2 * cx + 1), uint8_t(20 + 2 * cy + 1), 99};
            EXPECT_EQ(big.Pixel(x, y), expected) << x << "," << y;
        }
    }
    // A second draw shows the composed picture as it is: the first target's
    // content, not the new one's.
    Bitmap second(4, 4, Grey);
    l.image->Draw(second, Rect{0, 0, 4, 4});
    EXPECT_EQ(Pixels(second), Pixels(big));
}

// The animated road works out each target pixel without making the
// composed bitmap; the composed bitmap made afterwards from what lay under
// the image, stretched onto the same place, must give the same picture.
TEST(GifRenderTest, AnimatedRoadMatchesTheComposedBitmap) {
    std::vector<uint8_t> pixels(9 * 5);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i * 5 + i / 4) % 4);
    FrameRecipe offset = Recipe(9, 5, pixels);
    offset.left = 4;
    offset.top = 3;
    Bytes bytes = GifBuilder()
                      .Header(11, 7, kRgbk)
                      .GraphicControl(true, 1)
                      .Frame(offset)
                      .Frame(Recipe(2, 2, {2, 2, 2, 2}))
                      .Trailer()
                      .bytes();
    Bitmap original(20, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x) original.SetPixel(x, y, Rgb{uint8_t(x * 12), uint8_t(y * 20), 77});
    for (Rect rect : {Rect{0, 0, 20, 12}, Rect{3, 2, 9, 6}, Rect{-6, -3, 17, 30}, Rect{5, 5, 40, 9}}) {
        SCOPED_TRACE(rect.left * 1000 + rect.right);
        Loaded l = Load(bytes);
        Bitmap direct = original;
        l.image->Draw(direct, rect);
        Bitmap viaComposed = original;
        const Bitmap* composed = l.image->GetBitmap();
        ASSERT_NE(composed, nullptr);
        EXPECT_EQ(composed->Width(), 11);
        viaComposed.StretchDraw(rect, *composed);
        EXPECT_EQ(Pixels(direct), Pixels(viaComposed));
    }
}

TEST(GifRenderTest, TrailingCommentTakesTheAnimatedRoadShowingTheFirstFrame) {
    // The background index 9 lies outside the table: the painter set up for
    // the animated road warns about it once, and draws all the same.
    Bytes bytes = GifBuilder()
                      .Header(2, 1, kRgbk, 9)
                      .GraphicControl(true, 3)
                      .Frame(Recipe(2, 1, {3, 1}))
                      .Comment({"end"})
                      .Trailer()
                      .bytes();
    Loaded l = Load(bytes);
    ASSERT_EQ(l.image->Images().Count(), 2);
    EXPECT_EQ(l.warnings(), std::vector<std::string>{});
    Bitmap target(2, 1, Grey);
    l.image->Draw(target, Rect{0, 0, 2, 1});
    EXPECT_EQ(Pixels(target), (std::vector<Rgb>{Grey, G}));
    EXPECT_EQ(l.warnings(), std::vector<std::string>{"Invalid color index"});
}

TEST(GifRenderTest, NoColourTableIsAnErrorOnBothRoads) {
    Bytes one = GifBuilder().Header(2, 1).Frame(Recipe(2, 1, {0, 1})).Trailer().bytes();
    Bytes two = GifBuilder().Header(2, 1).Frame(Recipe(2, 1, {0, 1})).Frame(Recipe(2, 1, {1, 1})).Trailer().bytes();
    for (const Bytes* bytes : {&one, &two}) {
        Loaded l = Load(*bytes);
        ASSERT_EQ(l.error, "");
        Bitmap target(2, 1);
        try {
            l.image->Draw(target, Rect{0, 0, 2, 1});
            ADD_FAILURE() << "no error";
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "No global or local color table defined");
        }
    }
    // A local table in frame 0 is enough, also for a later frame without one.
    FrameRecipe local = Recipe(2, 1, {0, 1});
    local.localColors = kRgbk;
    Bytes withLocal = GifBuilder().Header(2, 1).Frame(local).Frame(Recipe(2, 1, {2, 2})).Trailer().bytes();
    EXPECT_EQ(Pixels(Drawn(withLocal, 2, 1)), (std::vector<Rgb>{R, G}));
}

TEST(GifRenderTest, DitheringFollowsTheOptions) {
    struct Case {
        TGIFDrawOptions options;
        bool dither;
    };
    const Case cases[] = {{GIFImageDefaultDrawOptions, false},
                          {goDither, true},
                          {goDither | goAutoDither, false},
                          {goAutoDither, false},
                          {0, false}};
    for (const Case& c : cases) {
        TGIFImage image;
        image.DrawOptions = c.options;
        EXPECT_EQ(image.GetDoDither(), c.dither) << c.options;
    }
    const TGIFPalette& web = *TGIFImage::WebPalette();
    ASSERT_EQ(web.size(), 216u);
    EXPECT_EQ(web[1 * 36 + 2 * 6 + 5], (TGIFColor{51, 102, 255}));
}

TEST(GifRenderTest, DitheredBitmapDiffusesErrorsSerpentine) {
    // Grey 25 everywhere: the top row quantises to 0 carrying its error
    // right and down; the bottom row runs right to left and its left pixel
    // collects enough error to reach level 1 (51).
    std::vector<TGIFColor> grey(4, TGIFColor{25, 25, 25});
    Bytes bytes = GifBuilder().Header(2, 2, grey).Frame(Recipe(2, 2, {0, 1, 2, 3})).Trailer().bytes();
    Bitmap target = Drawn(bytes, 2, 2, W, goDither);
    constexpr Rgb L0{0, 0, 0}, L1{51, 51, 51};
    EXPECT_EQ(Pixels(target), (std::vector<Rgb>{L0, L0, L1, L0}));

    // Transparent pixels take no part in the diffusion and stay holes.
    Bytes holes = GifBuilder()
                      .Header(3, 1, std::vector<TGIFColor>{{25, 25, 25}, {255, 255, 255}})
                      .GraphicControl(true, 1)
                      .Frame(Recipe(3, 1, {0, 1, 0}))
                      .Trailer()
                      .bytes();
    EXPECT_EQ(Pixels(Drawn(holes, 3, 1, Grey, goDither | goTransparent)), (std::vector<Rgb>{L0, Grey, L0}));
}

TEST(GifRenderTest, FrameBitmapAndMaskAreMadeOnce) {
    Bytes bytes = GifBuilder().Header(3, 1, kRgbk).GraphicControl(true, 3).Frame(Recipe(3, 1, {3, 0, 3})).bytes();
    Loaded l = Load(bytes);
    TGIFSubImage& frame = l.image->Images().SubImage(0);
    EXPECT_TRUE(frame.HasMask());
    const Bitmap* bitmap = frame.GetBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Pixel(1, 0), R);
    EXPECT_EQ(bitmap->Pixel(0, 0), K);  // the transparent index keeps its colour; the mask makes the hole
    ASSERT_NE(frame.Mask(), nullptr);
    EXPECT_TRUE(frame.Mask()->Get(0, 0));
    EXPECT_FALSE(frame.Mask()->Get(1, 0));
    EXPECT_EQ(frame.GetBitmap(), bitmap);
    EXPECT_EQ(frame.GraphicControlExtension()->GetTransparentColor(), (TGIFColor{0, 0, 0}));
}

// Drawing samples the indices directly; that must give the pixels of the
// frame bitmap stretched through its mask.
TEST(GifRenderTest, DirectDrawMatchesTheFrameBitmapThroughItsMask) {
    std::vector<uint8_t> pixels(13 * 7);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i * 7 + i / 5) % 4);
    FrameRecipe recipe = Recipe(13, 7, pixels);
    recipe.left = 3;
    recipe.top = 2;
    Bytes bytes = GifBuilder().Header(17, 10, kRgbk).GraphicControl(true, 2).Frame(recipe).Trailer().bytes();
    for (Rect rect : {Rect{0, 0, 5, 3}, Rect{0, 0, 40, 21}, Rect{-4, 1, 30, 9}, Rect{2, 2, 19, 12}}) {
        SCOPED_TRACE(rect.right);
        Loaded l = Load(bytes);
        TGIFSubImage& frame = l.image->Images().SubImage(0);
        Bitmap direct(24, 16, Grey);
        l.image->Draw(direct, rect);
        ASSERT_TRUE(frame.HasMask());
        Bitmap throughMask(24, 16, Grey);
        throughMask.StretchDrawMasked(frame.ScaleRect(rect), *frame.GetBitmap(), *frame.Mask());
        EXPECT_EQ(Pixels(direct), Pixels(throughMask));
    }
}

TEST(GifRenderTest, TiledDrawRepeatsTheScreen) {
    Bytes bytes = GifBuilder().Header(2, 1, kRgbk).Frame(Recipe(2, 1, {0, 1})).Trailer().bytes();
    Bitmap target = Drawn(bytes, 5, 2, Grey, GIFImageDefaultDrawOptions | goTile);
    EXPECT_EQ(Pixels(target), (std::vector<Rgb>{R, G, R, G, R, R, G, R, G, R}));
}

// The road a reduced image takes: a file on disk, loaded and drawn
// stretched into a white bitmap of the reduced size.
TEST(GifRenderTest, LoadFromFileAndDrawReduced) {
    TempDir dir;
    std::vector<uint8_t> pixels(40 * 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) pixels[static_cast<std::size_t>(y * 40 + x)] = x < 20 ? 0 : (y < 10 ? 1 : 3);
    FrameRecipe recipe = Recipe(40, 20, pixels);
    recipe.interlaced = true;
    Bytes bytes = GifBuilder().Header(40, 20, kRgbk).GraphicControl(true, 3).Frame(recipe).Trailer().bytes();
    WriteFile(dir / "a.gif", std::string(bytes.begin(), bytes.end()));

    TGIFImage image;
    image.LoadFromFile(dir / "a.gif");
    Bitmap reduced;
    reduced.Resize(4, 2);
    reduced.Clear(kWhite);
    image.Draw(reduced, Rect{0, 0, 4, 2});
    EXPECT_EQ(Pixels(reduced), (std::vector<Rgb>{R, R, G, G, R, R, W, W}));

    try {
        image.LoadFromFile(dir / "missing.gif");
        ADD_FAILURE() << "no error";
    } catch (const GIFException& e) {
        EXPECT_NE(std::string(e.what()).find("missing.gif"), std::string::npos);
    }
    EXPECT_FALSE(image.GetEmpty());  // a file that cannot be opened leaves the image as it was
}

}  // namespace
}  // namespace htmlimglist::test
