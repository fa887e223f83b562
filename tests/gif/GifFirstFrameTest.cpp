// Loading the first frame alone, as a reduced copy does: the later frames
// are walked and freed, so nothing is held per frame, and the load fails,
// warns and draws exactly as a load of every frame does.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <span>

#include "GifTestSupport.h"
#include "gif/GIFException.h"
#include "gif/GIFMemoryStream.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace htmlimglist::test {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Noise(std::size_t n, int colours, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (auto& v : out) v = static_cast<uint8_t>(rng() % static_cast<unsigned>(colours));
    return out;
}

// frames frames of 2 x 1, each with a graphic control extension and a
// comment: the kind of file whose per-frame records once added up.
Bytes ManyFrames(int frames) {
    GifBuilder b;
    b.Header(2, 1, kRgbw).Application("NETSCAPE2.0", {{1, 0, 0}});
    for (int i = 0; i < frames; ++i) b.GraphicControl(true, 1).Comment({"c"}).Frame(Recipe(2, 1, {0, 1}));
    return b.Trailer().bytes();
}

TEST(GifFirstFrameTest, LaterFramesAreCountedButNotKept) {
    constexpr int kFrames = 3000;
    const Bytes bytes = ManyFrames(kFrames);
    TempDir dir;
    const std::string path = dir / "many.gif";
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
    struct Case {
        const char* name;
        bool fromFile;
    };
    for (const Case& c : {Case{"from memory", false}, Case{"from a file", true}}) {
        SCOPED_TRACE(c.name);
        const int64_t before = TGIFSubImage::Instances();
        int64_t most = 0;
        TGIFImage image;
        // Called once per frame read: the frames alive at that moment.
        image.OnProgress = [&](const TPersistent*, TProgressStage, int, bool, const std::string&) {
            most = std::max(most, TGIFSubImage::Instances() - before);
        };
        if (c.fromFile) {
            image.LoadFromFile(path, TGIFFrameLoad::flFirstFrame);
        } else {
            TGIFMemoryStream stream(std::span<const uint8_t>(bytes.data(), bytes.size()));
            image.LoadFromStream(stream, TGIFFrameLoad::flFirstFrame);
        }
        // The first frame and the one being read, never more.
        EXPECT_LE(most, 2);
        EXPECT_EQ(TGIFSubImage::Instances() - before, 1);
        EXPECT_EQ(image.Images().Count(), 1);
        EXPECT_EQ(image.FrameCount(), kFrames);
        EXPECT_EQ(Indices(image.Images().SubImage(0)), (std::vector<uint8_t>{0, 1}));
        image.Clear();
        EXPECT_EQ(image.FrameCount(), 0);
    }
}

// A load of the first frame against a load of every frame, over built
// streams and the shared corpus: the same error, warnings, stream position,
// frame count, first frame and drawing. (A later frame's size is the one
// thing the first-frame load does not check: see the reduced copies' tests.)
TEST(GifFirstFrameTest, FailsWarnsAndDrawsAsALoadOfEveryFrame) {
    const Bytes twoFrames = GifBuilder()
                                .Header(8, 6, kRgbw)
                                .Frame(Recipe(8, 6, Noise(48, 4, 1)))
                                .GraphicControl(true, 2)
                                .Frame(Recipe(8, 6, Noise(48, 4, 2)))
                                .bytes();
    auto then = [&](const Bytes& tail) {
        Bytes out = twoFrames;
        out.insert(out.end(), tail.begin(), tail.end());
        return out;
    };
    FrameRecipe local = Recipe(4, 4, {});
    local.localColors = std::vector<TGIFColor>(16, TGIFColor{9, 9, 9});
    const Bytes localTable = GifBuilder().Descriptor(local).bytes();
    const Bytes data = GifBuilder().Frame(Recipe(4, 4, Noise(16, 4, 3))).bytes();
    // A later frame whose LZW table walks in circles: never decoded by either.
    const Bytes circular = GifBuilder()
                               .Descriptor(Recipe(8, 6, {}))
                               .Raw({2})
                               .Raw(SubBlocks(PackCodes({{4, 3}, {7, 3}, {6, 3}, {0, 3}, {6, 4}})))
                               .bytes();
    std::vector<std::pair<std::string, Bytes>> streams = {
        {"trailer", then({0x3B})},
        {"no trailer", twoFrames},
        {"unknown extension label", then({0x21, 0x05, 1, 'x', 0})},
        {"application block of 9 bytes", then({0x21, 0xFF, 9, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 0})},
        {"cut in the descriptor", then(Bytes(data.begin(), data.begin() + 6))},
        {"cut in the local table", then(Bytes(localTable.begin(), localTable.end() - 5))},
        {"cut in a comment", then({0x21, 0xFE, 10, 'a', 'b'})},
        {"cut in the image data", then(Bytes(data.begin(), data.end() - 3))},
        {"circular LZW data", then(circular)},
        {"frame of width 0", then(GifBuilder().Frame(Recipe(0, 6, Noise(48, 4, 4))).Trailer().bytes())},
        {"unknown block type", then({0x07, 0x3B})},
        {"bad introducer", then({0x21, 0xF9, 4, 1, 0, 0, 2, 0, 0x09, 0x3B})},
        {"extensions before the trailer", then(GifBuilder().Comment({"end"}).Trailer().bytes())},
    };
    for (const char* folder : {"gif-valid", "gif-malformed"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(fs::path(HTMLIMGLIST_GIF_CORPUS) / folder, ec)) {
            std::ifstream in(entry.path(), std::ios::binary);
            streams.emplace_back(entry.path().filename().string(),
                                 Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        }
    }
    auto draw = [](TGIFImage& image) {
        Bitmap target(24, 18);
        try {
            image.Draw(target, Rect{0, 0, 24, 18});
        } catch (const GIFException&) {
            return std::vector<Rgb>{};
        }
        std::vector<Rgb> pixels;
        for (int y = 0; y < target.Height(); ++y)
            for (int x = 0; x < target.Width(); ++x) pixels.push_back(target.Pixel(x, y));
        return pixels;
    };
    for (const auto& [name, bytes] : streams) {
        SCOPED_TRACE(name);
        Loaded all = Load(bytes);
        Loaded first = Load(bytes, TGIFFrameLoad::flFirstFrame);
        EXPECT_EQ(first.error, all.error);
        EXPECT_EQ(first.warnings(), all.warnings());
        EXPECT_EQ(first.positionAfter, all.positionAfter);
        const int frames = all.image->Images().Count();
        EXPECT_EQ(first.image->FrameCount(), frames);
        ASSERT_EQ(first.image->Images().Count(), std::min(frames, 1));
        if (frames == 0) continue;
        EXPECT_EQ(first.image->Images().SubImage(0).GetAllocatedSize(),
                  all.image->Images().SubImage(0).GetAllocatedSize());
        EXPECT_EQ(draw(*first.image), draw(*all.image));
    }
}

}  // namespace
}  // namespace htmlimglist::test
