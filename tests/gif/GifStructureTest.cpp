// Reading the stream structure: header, blocks between frames, extensions
// and their registries, and the errors and warnings on the way.
#include <gtest/gtest.h>

#include "GifTestSupport.h"
#include "gif/GIFAppExtNSLoop.h"
#include "gif/GIFCommentExtension.h"
#include "gif/GIFException.h"
#include "gif/GIFGraphicControlExtension.h"
#include "gif/GIFMemoryStream.h"
#include "gif/GIFUnknownAppExtension.h"

namespace htmlimglist::test {
namespace {

using Warnings = std::vector<std::string>;

// A 3 x 2 frame of a four-colour screen.
GifBuilder SmallGif(const std::string& signature = "GIF89a") {
    GifBuilder b;
    b.Header(3, 2, kRgbw, 0, signature).Frame(Recipe(3, 2, {0, 1, 2, 3, 2, 1}));
    return b;
}

TEST(GifStructureTest, LoadsHeaderFrameAndPixels) {
    Loaded l = Load(SmallGif().Trailer().bytes());
    ASSERT_EQ(l.error, "");
    EXPECT_EQ(l.warnings(), Warnings{});
    const TGIFImage& image = *l.image;
    EXPECT_EQ(image.GetWidth(), 3);
    EXPECT_EQ(image.GetHeight(), 2);
    EXPECT_EQ(image.Header().ColorMap().Count(), 4);
    EXPECT_EQ(image.Header().ColorMap().GetBitsPerPixel(), 2);
    ASSERT_EQ(image.Images().Count(), 1);
    const TGIFSubImage& frame = image.Images().SubImage(0);
    EXPECT_EQ(frame.GetBounds(3), 3);
    EXPECT_EQ(frame.GetBounds(4), 2);
    EXPECT_FALSE(frame.GetEmpty());
    EXPECT_EQ(Indices(frame), (std::vector<uint8_t>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(&frame.GetActiveColorMap(), &image.Header().ColorMap());
}

// Ways a stream may begin and end, with what the load makes of them.
TEST(GifStructureTest, SignaturesTrailersAndBytesBetweenBlocks) {
    Bytes frameAndTrailer = GifBuilder().Frame(Recipe(3, 2, {0, 1, 2, 3, 2, 1})).Trailer().bytes();
    Bytes header = GifBuilder().Header(3, 2, kRgbw).bytes();
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        int frames;
        std::string error;
        Warnings warnings;
    };
    const Case cases[] = {
        {"no trailer", SmallGif().bytes(), 1, "", {}},
        {"lower-case signature, any version", SmallGif("gif8xq").Trailer().bytes(), 1, "", {}},
        {"signature after a 4-byte prefix", join({{1, 2, 3, 4}, SmallGif().Trailer().bytes()}), 1, "", {}},
        {"no signature", join({{'G', 'I', 'X'}, SmallGif().Trailer().bytes()}), 0, "Invalid GIF signature", {}},
        {"zero bytes between blocks", join({header, {0, 0}, frameAndTrailer}), 1, "", {}},
        {"unknown block type", join({SmallGif().bytes(), {0x07, 0x3B}}), 1, "",
         {"Unknown GIF block type", "Invalid Image trailer"}},
        {"cut in the screen descriptor", Bytes(header.begin(), header.begin() + 9), 0, "Premature end of data", {}},
        {"cut in the colour table", Bytes(header.begin(), header.begin() + 15), 0, "Premature end of data", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loaded l = Load(c.bytes);
        EXPECT_EQ(l.error, c.error);
        EXPECT_EQ(l.warnings(), c.warnings);
        EXPECT_EQ(l.image->Images().Count(), c.frames);
    }
}

TEST(GifStructureTest, FrameOfWidthZeroTakesTheScreenSize) {
    FrameRecipe recipe = Recipe(0, 2, std::vector<uint8_t>(5 * 4, 1));
    Loaded l = Load(GifBuilder().Header(5, 4, kRgbw).Frame(recipe).Trailer().bytes());
    ASSERT_EQ(l.error, "");
    EXPECT_EQ(l.warnings(), Warnings{"Image exceeds Logical Screen size"});
    const TGIFSubImage& frame = l.image->Images().SubImage(0);
    EXPECT_EQ(frame.Width(), 5);
    EXPECT_EQ(frame.Height(), 4);
    EXPECT_EQ(Indices(frame), std::vector<uint8_t>(20, 1));
}

TEST(GifStructureTest, FirstGraphicControlIsTheLinkEitherSetsTransparent) {
    Bytes bytes = GifBuilder()
                      .Header(2, 1, kRgbw)
                      .GraphicControl(false, 3)
                      .GraphicControl(true, 1)
                      .Frame(Recipe(2, 1, {0, 1}))
                      .Trailer()
                      .bytes();
    Loaded l = Load(bytes);
    ASSERT_EQ(l.error, "");
    TGIFSubImage& frame = l.image->Images().SubImage(0);
    ASSERT_EQ(frame.Extensions().Count(), 2);
    EXPECT_EQ(frame.GraphicControlExtension(), &frame.Extensions().Extension(0));
    EXPECT_EQ(frame.TransparentIndex(), 3);
    EXPECT_TRUE(frame.Transparent());
    // Deleting the one with the transparent bit clears the flag; deleting
    // the link clears the link.
    frame.Extensions().Delete(1);
    EXPECT_FALSE(frame.Transparent());
    frame.Extensions().Delete(0);
    EXPECT_EQ(frame.GraphicControlExtension(), nullptr);
}

TEST(GifStructureTest, ApplicationExtensionsByIdentifierAndBlockSize) {
    struct Case {
        const char* name;
        std::string identifier;
        int blockSize;
        std::vector<Bytes> blocks;
        std::string error;
        const TGIFExtensionClass* cls;
        int loops;
    };
    const Case cases[] = {
        {"NETSCAPE2.0 loop count 0", "NETSCAPE2.0", 11, {{1, 0, 0}}, "", &TGIFAppExtNSLoop::Class, 0},
        {"ANIMEXTS1.0 loop count 7", "ANIMEXTS1.0", 11, {{1, 7, 0}}, "", &TGIFAppExtNSLoop::Class, 7},
        {"loop block with a buffer size", "NETSCAPE2.0", 11, {{2, 1, 2, 3, 4}, {1, 5, 0}}, "",
         &TGIFAppExtNSLoop::Class, 5},
        {"loop block too short", "NETSCAPE2.0", 11, {{1, 0}}, "Invalid GIF data", nullptr, 0},
        {"other identifier", "XMP DataXMP", 11, {{'a', 'b'}, {'c'}}, "", &TGIFUnknownAppExtension::Class, 0},
        {"10-byte identifier block", "NETSCAPE2.", 10, {{1, 0, 0}}, "", &TGIFUnknownAppExtension::Class, 0},
        {"9-byte identifier block", "NETSCAPE2", 9, {}, "Unsupported Application Extension block size", nullptr,
         0},
        {"12-byte identifier block", "NETSCAPE2.0x", 12, {{1, 2}}, "", &TGIFApplicationExtension::Class, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = GifBuilder()
                          .Header(2, 1, kRgbw)
                          .Application(c.identifier, c.blocks, c.blockSize)
                          .Frame(Recipe(2, 1, {0, 1}))
                          .Trailer()
                          .bytes();
        Loaded l = Load(bytes);
        EXPECT_EQ(l.error, c.error);
        if (!c.error.empty()) {
            EXPECT_EQ(l.image->Images().Count(), 0);
            EXPECT_EQ(l.positionAfter, 0);  // the stream is put back
            continue;
        }
        ASSERT_EQ(l.image->Images().Count(), 1);
        const TGIFSubImage& frame = l.image->Images().SubImage(0);
        ASSERT_EQ(frame.Extensions().Count(), 1);
        const auto& ext = static_cast<const TGIFApplicationExtension&>(frame.Extensions().Extension(0));
        if (c.cls == &TGIFAppExtNSLoop::Class) {
            auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(&ext);
            ASSERT_NE(loop, nullptr);
            EXPECT_EQ(loop->Loops(), c.loops);
        } else if (c.cls == &TGIFUnknownAppExtension::Class) {
            auto* unknown = dynamic_cast<const TGIFUnknownAppExtension*>(&ext);
            ASSERT_NE(unknown, nullptr);
            EXPECT_EQ(unknown->Blocks().size(), c.blocks.size());
        } else {
            EXPECT_EQ(typeid(ext), typeid(TGIFApplicationExtension));
        }
        EXPECT_EQ(Indices(frame), (std::vector<uint8_t>{0, 1}));
    }
}

TEST(GifStructureTest, UnknownLabelFailsTheLoadKeepingEarlierFrames) {
    Bytes bytes = SmallGif().Raw({0x21, 0x02, 1, 'x', 0}).Frame(Recipe(3, 2, {1, 1, 1, 1, 1, 1})).Trailer().bytes();
    Loaded l = Load(bytes);
    EXPECT_EQ(l.error, "Unknown extension type");
    EXPECT_EQ(l.image->Images().Count(), 1);
    EXPECT_EQ(l.positionAfter, 0);
}

namespace {
// A class registered by a test for label 0x02: a comment under another label.
class TestLabelExtension final : public TGIFExtension {
public:
    using TGIFExtension::TGIFExtension;
    uint8_t GetExtensionType() const override { return 0x02; }
    void LoadFromStream(TGIFStream& stream) override {
        TGIFExtension::LoadFromStream(stream);
        uint8_t size = 0;
        while (stream.Read(&size, 1) == 1 && size != 0) stream.Seek(size, TSeekOrigin::Current);
    }
    static std::unique_ptr<TGIFExtension> Create(TGIFSubImage& frame) {
        return std::make_unique<TestLabelExtension>(frame);
    }
};
const TGIFExtensionClass kTestLabelClass{"TestLabelExtension", 0x02, &TestLabelExtension::Create,
                                         &TGIFExtension::FindSubExtension};
}  // namespace

TEST(GifStructureTest, RegisteredExtensionClassReadsItsLabel) {
    TGIFExtension::RegisterExtension(0x02, &kTestLabelClass);
    Bytes bytes = GifBuilder().Header(2, 1, kRgbw).Raw({0x21, 0x02, 1, 'x', 0}).Frame(Recipe(2, 1, {0, 1})).bytes();
    Loaded l = Load(bytes);
    EXPECT_EQ(l.error, "");
    ASSERT_EQ(l.image->Images().Count(), 1);
    EXPECT_EQ(typeid(l.image->Images().SubImage(0).Extensions().Extension(0)), typeid(TestLabelExtension));
}

TEST(GifStructureTest, ExtensionsWithoutImageMakeAnEmptyFrame) {
    // A closing comment becomes a last frame without pixels; a zero byte in
    // an extension run ends that frame's extensions with a warning.
    Bytes bytes = SmallGif()
                      .GraphicControl(false, 0)
                      .Raw({0x00})
                      .Frame(Recipe(3, 2, {3, 3, 3, 3, 3, 3}))
                      .Comment({"made", "here"})
                      .Trailer()
                      .bytes();
    Loaded l = Load(bytes);
    ASSERT_EQ(l.error, "");
    EXPECT_EQ(l.warnings(), Warnings{"Invalid extension introducer"});
    const TGIFImageList& frames = l.image->Images();
    ASSERT_EQ(frames.Count(), 4);
    EXPECT_FALSE(frames.SubImage(0).GetEmpty());
    EXPECT_TRUE(frames.SubImage(1).GetEmpty());
    EXPECT_EQ(frames.SubImage(1).Extensions().Count(), 1);
    EXPECT_EQ(Indices(frames.SubImage(2)), std::vector<uint8_t>(6, 3));
    EXPECT_TRUE(frames.SubImage(3).GetEmpty());
    auto& comment = static_cast<const TGIFCommentExtension&>(frames.SubImage(3).Extensions().Extension(0));
    EXPECT_EQ(comment.Text(), (std::vector<std::string>{"made", "here"}));
}

TEST(GifStructureTest, HugeScreensAndFramesAreRefusedBeforeAllocation) {
    Loaded screen = Load(GifBuilder().Header(20000, 20000, kRgbw).Trailer().bytes());
    EXPECT_EQ(screen.error, "Invalid image dimensions");

    FrameRecipe huge = Recipe(65535, 65535, {});
    Loaded frame = Load(GifBuilder().Header(2, 2, kRgbw).Descriptor(huge).Raw({2, 0}).Trailer().bytes());
    EXPECT_EQ(frame.error, "Invalid image dimensions");

    // 100 million pixels are allowed, but a frame holding a few bytes of data
    // gets memory only for the pixels that arrive.
    FrameRecipe large = Recipe(10000, 10000, {});
    Bytes data = SubBlocks(LzwCodes(std::vector<uint8_t>(300, 2), 2));
    Loaded l = Load(GifBuilder().Header(10000, 10000, kRgbw).Descriptor(large).Raw({2}).Raw(data).Trailer().bytes());
    ASSERT_EQ(l.error, "");
    const TGIFSubImage& f = l.image->Images().SubImage(0);
    EXPECT_EQ(f.GetDataSize(), 100'000'000);
    EXPECT_LE(f.GetAllocatedSize(), 1024);
    EXPECT_EQ(f.PixelIndex(299, 0), 2);
    EXPECT_EQ(f.PixelIndex(300, 0), 0);
    EXPECT_EQ(f.PixelIndex(9999, 9999), 0);
}

// Every prefix of a file with most kinds of block, and single-byte damage
// to it: the outcome is a load or a GIFException, never a crash.
TEST(GifStructureTest, TruncatedAndDamagedStreamsFailCleanly) {
    FrameRecipe interlaced = Recipe(4, 5, {0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 1, 1, 2, 2, 3, 3, 0, 1, 2, 3});
    interlaced.interlaced = true;
    interlaced.localColors = kBlackWhite;
    interlaced.minCodeSize = 2;
    Bytes good = GifBuilder()
                     .Header(4, 5, kRgbw)
                     .Application("NETSCAPE2.0", {{1, 0, 0}})
                     .GraphicControl(true, 2)
                     .Frame(interlaced)
                     .Comment({"c"})
                     .Raw({0x21, 0x01, 12, 0, 0, 0, 0, 4, 0, 5, 0, 1, 1, 0, 1, 2, 'h', 'i', 0})
                     .Frame(Recipe(4, 5, std::vector<uint8_t>(20, 1)))
                     .Trailer()
                     .bytes();
    ASSERT_EQ(Load(good).error, "");
    for (std::size_t n = 0; n <= good.size(); ++n) {
        Loaded l = Load(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)));
        if (!l.error.empty()) {
            EXPECT_EQ(l.positionAfter, 0);
        }
    }
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (uint8_t value : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x2C}, uint8_t{0x21}}) {
            Bytes damaged = good;
            damaged[at] = value;
            Loaded l = Load(damaged);
            Bitmap target(8, 8);
            try {
                l.image->Draw(target, Rect{0, 0, 8, 8});
            } catch (const GIFException&) {
            }
        }
    }
}

}  // namespace
}  // namespace htmlimglist::test
