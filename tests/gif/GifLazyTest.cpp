// Frames after the first are read for their structure only and decode on
// first use: what waits, what still fails the load, that lazy pixels are
// the eager ones, clearing, and exceptions from a progress handler.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <span>

#include "GifTestSupport.h"
#include "gif/GIFException.h"
#include "gif/GIFFileStream.h"
#include "gif/GIFMemoryStream.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace htmlimglist::test {
namespace {

using Warnings = std::vector<std::string>;

std::vector<uint8_t> Noise(std::size_t n, int colours, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (auto& v : out) v = static_cast<uint8_t>(rng() % static_cast<unsigned>(colours));
    return out;
}

std::vector<TGIFColor> Greys(int count) {
    std::vector<TGIFColor> colours;
    for (int i = 0; i < count; ++i) colours.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
    return colours;
}

// Three 10 x 8 frames; the second has a transparent colour 3.
Bytes ThreeFrames() {
    return GifBuilder()
        .Header(10, 8, kRgbw)
        .Frame(Recipe(10, 8, Noise(80, 4, 1)))
        .GraphicControl(true, 3)
        .Frame(Recipe(10, 8, Noise(80, 4, 2)))
        .Frame(Recipe(10, 8, Noise(80, 4, 3)))
        .Trailer()
        .bytes();
}

TEST(GifLazyTest, LaterFramesWaitForTheirFirstRead) {
    Bytes bytes = ThreeFrames();
    Loaded l = Load(bytes);
    ASSERT_EQ(l.error, "");
    const TGIFImageList& frames = l.image->Images();
    ASSERT_EQ(frames.Count(), 3);
    EXPECT_FALSE(frames.SubImage(0).GetDeferred());
    EXPECT_EQ(frames.SubImage(0).GetAllocatedSize(), 80);
    for (int i : {1, 2}) {
        const TGIFSubImage& frame = frames.SubImage(i);
        EXPECT_TRUE(frame.GetDeferred());
        EXPECT_EQ(frame.GetAllocatedSize(), 0);
        // What the structure tells is there without decoding.
        EXPECT_FALSE(frame.GetEmpty());
        EXPECT_EQ(frame.GetDataSize(), 80);
        EXPECT_EQ(frame.FillIndex(), i == 1 ? 3 : 0);
    }
    // Drawing shows the first frame only and decodes nothing else.
    Bitmap target(10, 8);
    l.image->Draw(target, Rect{0, 0, 10, 8});
    EXPECT_TRUE(frames.SubImage(1).GetDeferred());

    // The memory the image was loaded from may go: the later frames read a
    // copy. Reading one frame decodes that frame alone.
    std::fill(bytes.begin(), bytes.end(), 0);
    EXPECT_EQ(Indices(frames.SubImage(2)), Noise(80, 4, 3));
    EXPECT_EQ(frames.SubImage(2).GetAllocatedSize(), 80);
    EXPECT_TRUE(frames.SubImage(1).GetDeferred());
    EXPECT_EQ(Indices(frames.SubImage(1)), Noise(80, 4, 2));
}

TEST(GifLazyTest, LaterFramesDecodeFromTheOpenFile) {
    TempDir dir;
    Bytes bytes = ThreeFrames();
    std::string path = dir / "a.gif";
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
    TGIFImage byPath, byStream;
    byPath.LoadFromFile(path);
    {
        // A file stream of the caller's own may go once loaded.
        TGIFFileStream stream(path);
        byStream.LoadFromStream(stream);
    }
    std::filesystem::remove(path);  // the open file stays readable
    for (TGIFImage* image : {&byPath, &byStream}) {
        EXPECT_EQ(Indices(image->Images().SubImage(2)), Noise(80, 4, 3));
        EXPECT_EQ(Indices(image->Images().SubImage(1)), Noise(80, 4, 2));
    }
}

// Several kinds of frame, decoded at load (every frame rendered on load)
// and on first use, from memory and from a file: the same pixels, bitmaps
// and warnings.
TEST(GifLazyTest, LazyPixelsEqualEagerOnes) {
    GifBuilder b;
    b.Header(40, 30, kRgbw);
    b.Frame(Recipe(40, 30, Noise(1200, 4, 10)));
    FrameRecipe interlaced = Recipe(21, 17, Noise(21 * 17, 8, 11), 3);
    interlaced.interlaced = true;
    interlaced.localColors = Greys(8);
    interlaced.left = 5;
    interlaced.top = 3;
    b.GraphicControl(true, 7).Frame(interlaced);
    FrameRecipe wide = Recipe(40, 30, Noise(1200, 256, 12), 8);
    wide.localColors = Greys(256);
    wide.lzw.blockSize = 1;
    b.Comment({"between"}).Frame(wide);
    FrameRecipe noClear = Recipe(13, 9, Noise(117, 4, 13));
    noClear.lzw.leadingClears = 0;
    noClear.lzw.clearWhenFull = false;
    b.Frame(noClear);
    // Data that stops short: the rest of the frame keeps the fill.
    Bytes shortCodes = LzwCodes(Noise(1200, 4, 14), 2);
    shortCodes.resize(shortCodes.size() / 3);
    b.GraphicControl(true, 2).Descriptor(Recipe(40, 30, {})).Raw({2}).Raw(SubBlocks(shortCodes)).Trailer();
    const Bytes& bytes = b.bytes();

    struct Result {
        std::vector<std::vector<uint8_t>> indices;
        std::vector<std::vector<Rgb>> bitmaps;
        Warnings warnings;
    };
    auto readAll = [](TGIFImage& image, const Warnings& log) {
        Result r;
        for (int i = 0; i < image.Images().Count(); ++i) {
            TGIFSubImage& frame = image.Images().SubImage(i);
            r.indices.push_back(Indices(frame));
            const Bitmap* bitmap = frame.GetBitmap();
            std::vector<Rgb> pixels;
            for (int y = 0; bitmap != nullptr && y < bitmap->Height(); ++y)
                for (int x = 0; x < bitmap->Width(); ++x) pixels.push_back(bitmap->Pixel(x, y));
            r.bitmaps.push_back(pixels);
        }
        r.warnings = log;
        std::sort(r.warnings.begin(), r.warnings.end());
        return r;
    };

    GIFImageRenderOnLoad = true;
    Loaded eager = Load(bytes);
    GIFImageRenderOnLoad = false;
    ASSERT_EQ(eager.error, "");
    ASSERT_EQ(eager.image->Images().Count(), 5);
    EXPECT_FALSE(eager.image->Images().SubImage(4).GetDeferred());
    const Result expected = readAll(*eager.image, eager.warnings());
    EXPECT_FALSE(expected.warnings.empty());  // the short data's

    Loaded fromMemory = Load(bytes);
    ASSERT_EQ(fromMemory.error, "");
    EXPECT_TRUE(fromMemory.image->Images().SubImage(4).GetDeferred());
    EXPECT_EQ(fromMemory.warnings(), Warnings{});  // the short data is found when decoded
    Result lazy = readAll(*fromMemory.image, fromMemory.warnings());
    EXPECT_EQ(lazy.indices, expected.indices);
    EXPECT_EQ(lazy.bitmaps, expected.bitmaps);
    EXPECT_EQ(lazy.warnings, expected.warnings);

    TempDir dir;
    std::string path = dir / "frames.gif";
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
    TGIFImage fromFile;
    Warnings log;
    fromFile.OnWarning = [&log](const TPersistent*, TGIFSeverity, const std::string& m) { log.push_back(m); };
    fromFile.LoadFromFile(path);
    Result lazyFile = readAll(fromFile, log);
    EXPECT_EQ(lazyFile.indices, expected.indices);
    EXPECT_EQ(lazyFile.bitmaps, expected.bitmaps);
}

// Damage to the structure of a later frame still fails the load, as before;
// data that ends early only warns, when the frame is decoded.
TEST(GifLazyTest, StructureFaultsInLaterFramesStillFailTheLoad) {
    const Bytes twoFrames =
        GifBuilder().Header(4, 4, kRgbw).Frame(Recipe(4, 4, Noise(16, 4, 1))).Frame(Recipe(4, 4, Noise(16, 4, 2))).bytes();
    auto then = [&](const Bytes& tail) {
        Bytes out = twoFrames;
        out.insert(out.end(), tail.begin(), tail.end());
        return out;
    };
    Bytes descriptor = GifBuilder().Descriptor(Recipe(4, 4, {})).bytes();
    FrameRecipe local = Recipe(4, 4, {});
    local.localColors = Greys(16);
    Bytes localTable = GifBuilder().Descriptor(local).bytes();
    Bytes data = GifBuilder().Frame(Recipe(4, 4, Noise(16, 4, 3))).bytes();
    struct Case {
        const char* name;
        Bytes bytes;
        std::string error;
        int frames;
    };
    const Case cases[] = {
        {"unknown extension label", then({0x21, 0x05, 1, 'x', 0}), "Unknown extension type", 2},
        {"application block of 9 bytes", then({0x21, 0xFF, 9, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 0}),
         "Unsupported Application Extension block size", 2},
        {"frame of 65535 x 65535", then(GifBuilder().Descriptor(Recipe(65535, 65535, {})).Raw({2, 0}).bytes()),
         "Invalid image dimensions", 2},
        {"cut in the descriptor", then(Bytes(descriptor.begin(), descriptor.begin() + 6)), "Premature end of data", 2},
        {"cut in the local table", then(Bytes(localTable.begin(), localTable.end() - 5)), "Premature end of data", 2},
        {"cut in a comment", then({0x21, 0xFE, 10, 'a', 'b'}), "Premature end of data", 2},
        {"cut in the image data", then(Bytes(data.begin(), data.end() - 3)), "", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loaded l = Load(c.bytes);
        EXPECT_EQ(l.error, c.error);
        EXPECT_EQ(l.image->Images().Count(), c.frames);
        if (!c.error.empty()) {
            EXPECT_EQ(l.positionAfter, 0);
            continue;
        }
        EXPECT_EQ(l.warnings(), Warnings{});
        Indices(l.image->Images().SubImage(2));
        EXPECT_EQ(l.warnings(), Warnings{"Premature end of data"});
    }
}

TEST(GifLazyTest, ClearFreesEveryFrameAndExtension) {
    GifBuilder b;
    b.Header(2, 1, kRgbw);
    for (int i = 0; i < 3000; ++i)
        b.Comment({"c"}).GraphicControl(true, 1).GraphicControl(true, 2).Frame(Recipe(2, 1, {0, 1}));
    Loaded l = Load(b.Trailer().bytes());
    ASSERT_EQ(l.error, "");
    TGIFImageList& frames = l.image->Images();
    ASSERT_EQ(frames.Count(), 3000);

    // The extensions of one frame: the graphic control link and the
    // transparent flag go with them.
    TGIFSubImage& first = frames.SubImage(0);
    ASSERT_TRUE(first.Transparent());
    first.Extensions().Clear();
    EXPECT_EQ(first.Extensions().Count(), 0);
    EXPECT_EQ(first.GraphicControlExtension(), nullptr);
    EXPECT_FALSE(first.Transparent());

    frames.Clear();
    EXPECT_EQ(frames.Count(), 0);
    EXPECT_TRUE(l.image->GetEmpty());
}

// What a progress handler throws (a cancelled run) passes through loading
// and decoding unchanged, and leaves the image as a GIF error would: the
// stream back where it was, a deferred frame still deferred.
TEST(GifLazyTest, ExceptionFromProgressHandlerPassesThroughCleanly) {
    struct Stop {};
    const std::vector<uint8_t> tall = Noise(64 * 200, 4, 5);
    const Bytes bytes = GifBuilder()
                            .Header(64, 200, kRgbw)
                            .Frame(Recipe(64, 200, tall))
                            .Frame(Recipe(64, 200, Noise(64 * 200, 4, 6)))
                            .Trailer()
                            .bytes();
    int reports = 0, stopAt = 0;
    TGIFImage image;
    image.OnProgress = [&](const TPersistent*, TProgressStage stage, int, bool, const std::string&) {
        if (stage == TProgressStage::psRunning && ++reports == stopAt) throw Stop{};
    };

    // In the middle of the first frame's decoding, while loading.
    TGIFMemoryStream stream(std::span<const uint8_t>(bytes.data(), bytes.size()));
    stopAt = 3;
    EXPECT_THROW(image.LoadFromStream(stream), Stop);
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_EQ(image.Images().Count(), 0);

    reports = 0;
    stopAt = -1;
    image.LoadFromStream(stream);
    ASSERT_EQ(image.Images().Count(), 2);
    EXPECT_EQ(Indices(image.Images().SubImage(0)), tall);
    // The first frame's 200 rows report every 32 rows.
    EXPECT_GE(reports, 200 / 32);

    // In the middle of a later frame's decoding, on first use.
    TGIFSubImage& later = image.Images().SubImage(1);
    reports = 0;
    stopAt = 3;
    EXPECT_THROW(later.PixelIndex(0, 0), Stop);
    EXPECT_TRUE(later.GetDeferred());
    EXPECT_EQ(later.GetAllocatedSize(), 0);
    stopAt = -1;
    EXPECT_EQ(Indices(later), Noise(64 * 200, 4, 6));
}

TEST(GifLazyTest, WalkingFramesReportsProgress) {
    // Every frame walked reports, and so does a long run of sub-blocks.
    GifBuilder many;
    many.Header(2, 1, kRgbw);
    for (int i = 0; i < 500; ++i) many.Frame(Recipe(2, 1, {0, 1}));
    FrameRecipe tinyBlocks = Recipe(300, 300, Noise(90000, 4, 7));
    tinyBlocks.lzw.blockSize = 1;
    Bytes blocks = GifBuilder().Header(300, 300, kRgbw).Frame(Recipe(1, 1, {0})).Frame(tinyBlocks).Trailer().bytes();
    struct Case {
        const char* name;
        Bytes bytes;
        int atLeast;
    };
    // About 26,000 sub-blocks: six reports while they are stepped over, on
    // top of one per frame. The same whether the later frames are kept or
    // not (a cancelled reduced copy is heard there).
    const Case cases[] = {{"500 frames", many.Trailer().bytes(), 500}, {"1-byte sub-blocks", blocks, 2 + 6}};
    for (const Case& c : cases) {
        for (TGIFFrameLoad frames : {TGIFFrameLoad::flAllFrames, TGIFFrameLoad::flFirstFrame}) {
            SCOPED_TRACE(std::string(c.name) + (frames == TGIFFrameLoad::flFirstFrame ? ", first frame" : ""));
            TGIFImage image;
            int reports = 0;
            image.OnProgress = [&](const TPersistent*, TProgressStage stage, int, bool, const std::string&) {
                reports += stage == TProgressStage::psRunning;
            };
            TGIFMemoryStream stream(std::span<const uint8_t>(c.bytes.data(), c.bytes.size()));
            image.LoadFromStream(stream, frames);
            EXPECT_GE(reports, c.atLeast);
        }
    }
}

}  // namespace
}  // namespace htmlimglist::test
