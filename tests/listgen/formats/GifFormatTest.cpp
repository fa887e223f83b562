#include "listgen/formats/Registry.h"

#include <gtest/gtest.h>

#include <random>

#include "gif/GIFImage.h"
#include "gif/GIFMemoryStream.h"
#include "gif/GifBuilder.h"
#include "listgen/copies/ReducedImagePipeline.h"
#include "support/BoxReference.h"
#include "support/Decoding.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using namespace test;

std::vector<uint8_t> RandomIndices(int count, int colours, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(static_cast<std::size_t>(count));
    for (uint8_t& i : v) i = uint8_t(rng() % unsigned(colours));
    return v;
}

FrameRecipe Frame(int left, int top, int width, int height, int colours, unsigned seed) {
    FrameRecipe f;
    f.left = left, f.top = top, f.width = width, f.height = height;
    f.pixels = RandomIndices(width * height, colours, seed);
    return f;
}

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

void Load(TGIFImage& gif, const Bytes& bytes) {
    TGIFMemoryStream stream(std::span<const uint8_t>(bytes.data(), bytes.size()));
    gif.LoadFromStream(stream);
}

// The first frame as drawing puts it on a white picture of the screen's size.
Bitmap DrawnAtScreenSize(const Bytes& bytes) {
    TGIFImage gif;
    Load(gif, bytes);
    Bitmap screen(gif.GetWidth(), gif.GetHeight(), kWhite);
    gif.Draw(screen, Rect{0, 0, gif.GetWidth(), gif.GetHeight()});
    return screen;
}

struct GifCase {
    const char* what;
    Bytes bytes;
};

std::vector<GifCase> Cases() {
    std::vector<GifCase> cases;
    {
        GifBuilder b;
        b.Header(41, 29, kRgbw).Frame(Frame(0, 0, 41, 29, 4, 1)).Trailer();
        cases.push_back({"frame covering the screen", b.bytes()});
    }
    {
        GifBuilder b;
        b.Header(41, 29, kRgbw).GraphicControl(true, 2).Frame(Frame(5, 3, 20, 17, 4, 2)).Trailer();
        cases.push_back({"frame at an offset, with holes", b.bytes()});
    }
    {
        GifBuilder b;
        b.Header(41, 29, kRgbw).Frame(Frame(30, 20, 20, 17, 4, 3)).Trailer();
        cases.push_back({"frame sticking out of the screen", b.bytes()});
    }
    {
        FrameRecipe local = Frame(2, 1, 33, 25, 4, 4);
        local.localColors = {{10, 200, 30}, {250, 250, 0}, {0, 0, 0}};  // index 3 lies past the table
        GifBuilder b;
        b.Header(41, 29).Frame(local).Trailer();
        cases.push_back({"local table, index past it", b.bytes()});
    }
    {
        GifBuilder b;
        b.Header(41, 29, kRgbw)
            .Application("NETSCAPE2.0", {{1, 0, 0}})
            .GraphicControl(true, 0)
            .Frame(Frame(7, 4, 30, 20, 4, 5))
            .Frame(Frame(0, 0, 41, 29, 4, 6))
            .Trailer();
        cases.push_back({"two frames, the first with holes", b.bytes()});
    }
    return cases;
}

TEST(GifFormatTest, EqualsTheAverageOfTheFirstFrameDrawnAtTheScreensSize) {
    const std::pair<int, int> sizes[] = {{13, 9}, {41, 29}, {40, 1}, {1, 1}, {20, 28}};
    for (const GifCase& c : Cases()) {
        const Bitmap drawn = DrawnAtScreenSize(c.bytes);
        for (auto [w, h] : sizes) {
            SCOPED_TRACE(testing::Message() << c.what << " to " << w << "x" << h);
            Bitmap averaged;
            ASSERT_TRUE(DecodeScaled(ImageKind::Gif, FromBytes(AsText(c.bytes)), w, h, averaged, nullptr, 1, true));
            EXPECT_TRUE(SamePixels(averaged, BoxAverageReference(drawn, w, h)));
        }
    }
}

// Through the maker of a run: smooth copies of a GIF are the average,
// enlarged ones are still drawn nearest.
TEST(GifFormatTest, SmoothCopiesAverageWhenReducingAndDrawNearestWhenEnlarging) {
    TempDir dir;
    const Bytes bytes = Cases()[1].bytes;
    const std::string path = dir / "a.gif";
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
    ReducedImageRequest request;
    request.kind = ImageKind::Gif;
    request.sourcePath = path;
    request.target.smooth = true;

    request.target.width = 13, request.target.height = 9;
    ReducedImage reduced = MakeReducedImageInMemory(request);
    ASSERT_TRUE(reduced.ok);
    EXPECT_TRUE(SamePixels(reduced.picture, BoxAverageReference(DrawnAtScreenSize(bytes), 13, 9)));

    request.target.width = 82, request.target.height = 20;
    ReducedImage enlarged = MakeReducedImageInMemory(request);
    request.target.smooth = false;
    ReducedImage nearest = MakeReducedImageInMemory(request);
    ASSERT_TRUE(enlarged.ok);
    EXPECT_TRUE(SamePixels(enlarged.picture, nearest.picture));
}

}  // namespace
}  // namespace htmlimglist
