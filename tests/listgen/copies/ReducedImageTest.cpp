#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <vector>

#include "gif/GifBuilder.h"
#include "listgen/formats/ChGetImgSize.h"
#include "listgen/copies/CopyRecord.h"
#include "listgen/FolderListWriter.h"
#include "listgen/copies/JpegEncoder.h"
#include "listgen/reduce/Orientation.h"
#include "listgen/copies/ReducedImagePipeline.h"
#include "platform/AtomicFile.h"
#include "support/Decoding.h"
#include "support/Fixtures.h"
#include "support/JpegFixtures.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using namespace test;

class PreviewView : public RunView {
public:
    int abortAtImage = 0;
    int statusCount = 0;
    FolderListWriter* writer = nullptr;
    std::vector<std::pair<int, int>> previews;
    std::vector<std::string> messages;
    void Pump() override {
        if (abortAtImage != 0 && statusCount == abortAtImage && writer != nullptr) writer->RequestAbort();
    }
    void ShowStatus(std::string_view, int32_t, int32_t, std::string_view) override { ++statusCount; }
    void ShowPreview(const Bitmap& picture) override { previews.emplace_back(picture.Width(), picture.Height()); }
    void ShowMessage(const RunMessage& message) override { messages.push_back(MessageKey(message)); }
};

std::string GifBytes(const GifBuilder& builder) {
    const Bytes& b = builder.bytes();
    return std::string(b.begin(), b.end());
}

// A 2 x 2 GIF whose index 0 is transparent: red at top right and bottom left.
std::string TransparentGif() {
    FrameRecipe frame;
    frame.width = frame.height = 2;
    frame.pixels = {0, 1, 1, 0};
    GifBuilder gif;
    gif.Header(2, 2, {{0, 0, 0}, {255, 0, 0}}).GraphicControl(true, 0).Frame(frame).Trailer();
    return GifBytes(gif);
}

std::string AnimatedGif(int width, int height) {
    FrameRecipe frame;
    frame.width = width;
    frame.height = height;
    frame.pixels.assign(std::size_t(width * height), 2);
    GifBuilder gif;
    gif.Header(width, height, kRgbw).Application("NETSCAPE2.0", {{1, 0, 0}}).Frame(frame).Frame(frame).Trailer();
    return GifBytes(gif);
}

struct Dimensions {
    int32_t width = 0, height = 0;
};

Dimensions JpegDimensions(const std::string& path) {
    ChGetImgSize probe;
    Dimensions d;
    EXPECT_TRUE(probe.GetJpegSize(path, d.width, d.height)) << path;
    return d;
}

class ReducedImageTest : public ::testing::Test {
protected:
    TempDir dir;
    GenerationOptions options;
    PreviewView view;
    std::string folder;
    std::string parent;

    void SetUp() override {
        options.MakeSmallImage = true;
        parent = dir.Make("album");
        folder = dir.Make("album/00001");
    }

    bool Run(int jobs = 2, int32_t maxSize = 200) {
        FolderListWriter writer(options, view);
        writer.SetSelectedFolder(folder);
        writer.SetReducedImageJobs(jobs);
        view.writer = &writer;
        const bool saved = writer.MakeList(kReducedList, 6, maxSize).saved();
        view.writer = nullptr;
        return saved;
    }
};

TEST_F(ReducedImageTest, CopiesAreJpegFilesAtTheFittedSizeUnderTheSourceName) {
    WriteFile(folder + "/big.jpg", MakeJpeg({1600, 1200}));
    WriteFile(folder + "/small.jpg", MakeJpeg({100, 80}));
    WriteFile(folder + "/line.jpg", MakeJpeg({1000, 1}));
    WriteFile(folder + "/anim.gif", AnimatedGif(40, 20));
    ASSERT_TRUE(Run());
    EXPECT_EQ(ReadFile(parent + "/anim.gif").substr(0, 2), "\xFF\xD8");
    struct Expect {
        const char* name;
        int w, h;
    };
    for (Expect e : {Expect{"big.jpg", 200, 150}, Expect{"small.jpg", 100, 80}, Expect{"line.jpg", 200, 1},
                     Expect{"anim.gif", 40, 20}}) {
        Dimensions d = JpegDimensions(parent + "/" + e.name);
        EXPECT_EQ(d.width, e.w) << e.name;
        EXPECT_EQ(d.height, e.h) << e.name;
    }
    EXPECT_EQ(view.previews.size(), 4u);
    EXPECT_EQ(view.previews[1], (std::pair<int, int>(200, 150)));  // big.jpg, in page order
    EXPECT_TRUE(view.messages.empty());

    options.ZoomImage = options.ImageSurelyCreate = true;
    ASSERT_TRUE(Run());
    Dimensions zoomed = JpegDimensions(parent + "/small.jpg");
    EXPECT_EQ(zoomed.width, 200);
    EXPECT_EQ(zoomed.height, 160);
}

// A camera's portrait photo (stored landscape, EXIF orientation 6) gets an
// upright copy: the full decode turned upright, then sampled to the upright
// fit. Orientation 3 keeps the size but is turned too; AutoRotate=0 copies
// the stored picture.
TEST_F(ReducedImageTest, CopiesOfTurnedPhotosAreUpright) {
    const std::string stored = MakeJpeg({320, 240});
    Bitmap full;
    ASSERT_TRUE(DecodeFull(ImageKind::Jpeg, FromBytes(stored), full));
    const struct {
        int orientation;
        bool autoRotate;
        int width, height;
        int turnedBy;
    } cases[] = {{6, true, 75, 100, 6}, {3, true, 100, 75, 3}, {6, false, 100, 75, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "orientation " << c.orientation << " AutoRotate " << c.autoRotate);
        ExifRecipe exif;
        exif.bigEndian = true;
        exif.orientation = c.orientation;
        WriteFile(folder + "/photo.jpg", InsertAfterSoi(stored, ExifApp1(exif)));
        options.AutoRotate = c.autoRotate;
        options.ImageSurelyCreate = true;
        ASSERT_TRUE(Run(2, 100));

        Bitmap expected(c.width, c.height);
        expected.StretchDraw(Rect{0, 0, c.width, c.height}, TurnUpright(full, c.turnedBy));
        std::string expectedJpeg;
        ASSERT_TRUE(EncodeJpeg(expected, 75, expectedJpeg));
        Bitmap copy, reference;
        ASSERT_TRUE(DecodeFull(ImageKind::Jpeg, FromFile(parent + "/photo.jpg"), copy));
        ASSERT_TRUE(DecodeFull(ImageKind::Jpeg, FromBytes(expectedJpeg), reference));
        ASSERT_EQ(copy.Width(), c.width);
        ASSERT_EQ(copy.Height(), c.height);
        for (int y = 0; y < c.height; ++y) {
            ASSERT_TRUE(std::equal(copy.Row(y), copy.Row(y) + 3 * c.width, reference.Row(y))) << "row " << y;
        }
    }
}

// A copy whose record matches its source and the conditions is kept without
// being decoded; touching a source remakes its copy and only that one; a
// change of condition remakes every copy that carries a record.
TEST_F(ReducedImageTest, FreshCopiesAreKeptAndStaleOnesRemade) {
    for (const char* name : {"a.jpg", "b.jpg", "c.gif"}) {
        WriteFile(folder + "/" + name, std::string(name).ends_with(".gif") ? AnimatedGif(60, 40) : MakeJpeg({64, 48}));
    }
    WriteFile(parent + "/d.jpg", "a file without a record");
    WriteFile(folder + "/d.jpg", MakeJpeg({64, 48}));
    ASSERT_TRUE(Run());
    EXPECT_EQ(view.previews.size(), 3u);  // d.jpg is left alone: no record, not asked to remake
    EXPECT_EQ(ReadFile(parent + "/d.jpg"), "a file without a record");

    auto stamp = [&](const char* name) {
        struct stat st {};
        stat((parent + "/" + name).c_str(), &st);
        return std::pair<ino_t, int64_t>(st.st_ino, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
    };
    const auto a = stamp("a.jpg"), b = stamp("b.jpg"), c = stamp("c.gif");
    view.previews.clear();
    ASSERT_TRUE(Run());
    EXPECT_TRUE(view.previews.empty());
    EXPECT_EQ(stamp("a.jpg"), a);
    EXPECT_EQ(stamp("b.jpg"), b);

    WriteFile(folder + "/b.jpg", MakeJpeg({64, 40}));  // the source is edited
    ASSERT_TRUE(Run());
    EXPECT_EQ(view.previews.size(), 1u);
    EXPECT_EQ(stamp("a.jpg"), a);
    EXPECT_EQ(stamp("c.gif"), c);
    EXPECT_NE(stamp("b.jpg"), b);
    EXPECT_EQ(JpegDimensions(parent + "/b.jpg").height, 40);

    view.previews.clear();
    ASSERT_TRUE(Run(2, 32));  // MaxPixel changes: every copy with a record is remade
    EXPECT_EQ(view.previews.size(), 3u);
    EXPECT_EQ(JpegDimensions(parent + "/a.jpg").width, 32);
    EXPECT_EQ(ReadFile(parent + "/d.jpg"), "a file without a record");
    EXPECT_TRUE(view.messages.empty());
}

// With ImageSurelyCreate only copies are replaced: a file with our record, or
// a baseline JFIF file of the fitted size (a copy from before records). An
// unrelated photo, a document, a folder or a link is kept, with one message
// each, and the cell is written all the same.
TEST_F(ReducedImageTest, SurelyCreatingReplacesOnlyCopies) {
    for (const char* name : {"photo.jpg", "doc.jpg", "dir.jpg", "link.jpg", "old.jpg", "ours.jpg"})
        WriteFile(folder + "/" + name, MakeJpeg({64, 48}));
    const std::string photo = MakeJpeg({400, 300});
    WriteFile(parent + "/photo.jpg", photo);  // an unrelated full-size photo of the same name
    WriteFile(parent + "/doc.jpg", "notes");
    dir.Make("album/dir.jpg");
    WriteFile(dir / "elsewhere.jpg", photo);
    ASSERT_EQ(symlink((dir / "elsewhere.jpg").c_str(), (parent + "/link.jpg").c_str()), 0);
    WriteFile(parent + "/old.jpg", MakeJpeg({64, 48}));  // what an earlier version wrote
    options.SmoothReduce = true;
    ASSERT_TRUE(Run());  // ours.jpg gets a copy with a record, made under other conditions
    options.SmoothReduce = false;
    options.ImageSurelyCreate = true;
    view.messages.clear();
    view.previews.clear();
    ASSERT_TRUE(Run());

    EXPECT_EQ(ReadFile(parent + "/photo.jpg"), photo);
    EXPECT_EQ(ReadFile(parent + "/doc.jpg"), "notes");
    EXPECT_EQ(ReadFile(dir / "elsewhere.jpg"), photo);
    std::vector<std::string> expected;
    for (const char* name : {"dir.jpg", "doc.jpg", "link.jpg", "photo.jpg"})
        expected.push_back("NotACopy " + parent + "/" + name);
    EXPECT_EQ(view.messages, expected);
    EXPECT_EQ(view.previews.size(), 2u);  // old.jpg and ours.jpg were copies: both made again
    EXPECT_TRUE(FindCopyRecordText(ReadFile(parent + "/old.jpg")).has_value());
    const std::string page = ReadFile(parent + "/index.html");
    EXPECT_NE(page.find("00001/photo.jpg"), std::string::npos);
}

// The record is the one difference from a copy without it.
TEST_F(ReducedImageTest, CopiesCarryTheirRecordRightAfterTheJfifSegment) {
    WriteFile(folder + "/Big photo.jpg", MakeJpeg({640, 480}));
    ASSERT_TRUE(Run());
    const std::string copy = ReadFile(parent + "/Big photo.jpg");
    const auto text = FindCopyRecordText(copy);
    ASSERT_TRUE(text.has_value());
    const auto record = ParseCopyRecord(*text);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->source, "Big%20photo.jpg");
    EXPECT_EQ(record->sourceSize, int64_t(ReadFile(folder + "/Big photo.jpg").size()));
    EXPECT_EQ(record->width, 200);
    EXPECT_EQ(record->height, 150);
    EXPECT_TRUE(record->autoRotate);
    EXPECT_FALSE(record->smoothReduce);

    const ReducedImage plain = MakeReducedImageInMemory({ImageKind::Jpeg, folder + "/Big photo.jpg", {200, 150}});
    const std::size_t com = copy.find("\xFF\xFE");
    ASSERT_NE(com, std::string::npos);
    const std::size_t length = (uint8_t(copy[com + 2]) << 8) | uint8_t(copy[com + 3]);
    EXPECT_EQ(copy.substr(0, com) + copy.substr(com + 2 + length), plain.jpeg);
}

// A run killed mid-write leaves hidden temporary files beside its page and
// copies: they never become cells, and the next run clears those of its
// folders that are over a minute old.
TEST_F(ReducedImageTest, AKilledRunsTemporaryFilesAreNeverListedAndClearedLater) {
    WriteFile(folder + "/a.jpg", MakeJpeg({64, 48}));
    const std::string inFolder = folder + "/" + TemporaryFileName("b.jpg");
    const std::string stale = parent + "/" + TemporaryFileName("a.jpg");
    const std::string fresh = parent + "/" + TemporaryFileName("index.html");
    for (const std::string& path : {inFolder, stale, fresh}) WriteFile(path, MakeJpeg({64, 48}));
    const timespec twoMinutesAgo[2] = {{time(nullptr) - 120, 0}, {time(nullptr) - 120, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, stale.c_str(), twoMinutesAgo, 0), 0);
    ASSERT_TRUE(Run());
    const std::string page = ReadFile(parent + "/index.html");
    EXPECT_NE(page.find("(1) "), std::string::npos);
    EXPECT_EQ(page.find("(2) "), std::string::npos);
    EXPECT_FALSE(FileExists(stale));
    EXPECT_TRUE(FileExists(fresh));
    EXPECT_TRUE(FileExists(inFolder));  // the reduced list writes only into the parent
}

TEST_F(ReducedImageTest, TransparentGifPixelsComeOutWhite) {
    WriteFile(folder + "/t.gif", TransparentGif());
    options.ZoomImage = true;
    ASSERT_TRUE(Run(1, 16));
    Bitmap copy;
    ASSERT_TRUE(DecodeFull(ImageKind::Jpeg, FromFile(parent + "/t.gif"), copy));
    ASSERT_EQ(copy.Width(), 16);
    Rgb corner = copy.Pixel(1, 1);  // transparent index 0 at the top left
    EXPECT_GT(corner.r, 230);
    EXPECT_GT(corner.g, 230);
    EXPECT_GT(corner.b, 230);
    Rgb red = copy.Pixel(14, 1);
    EXPECT_GT(red.r, 200);
    EXPECT_LT(red.g, 60);
}

// One-pixel stripes, reduced four times: the nearest pixel always lands on
// the black ones; with SmoothReduce the copy is even grey.
TEST_F(ReducedImageTest, SmoothReduceMakesGreyCopiesOfFineStripes) {
    FrameRecipe frame;
    frame.width = 64;
    frame.height = 32;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) frame.pixels.push_back(uint8_t(x % 2));
    GifBuilder gif;
    gif.Header(64, 32, kBlackWhite).Frame(frame).Trailer();
    WriteFile(folder + "/stripes.gif", GifBytes(gif));
    options.ImageSurelyCreate = true;
    for (bool smooth : {false, true}) {
        SCOPED_TRACE(smooth ? "smooth" : "nearest");
        options.SmoothReduce = smooth;
        ASSERT_TRUE(Run(1, 16));
        Bitmap copy;
        ASSERT_TRUE(DecodeFull(ImageKind::Jpeg, FromFile(parent + "/stripes.gif"), copy));
        ASSERT_EQ(copy.Width(), 16);
        ASSERT_EQ(copy.Height(), 8);
        for (int y = 0; y < 8; ++y)
            for (int k = 0; k < 3 * 16; ++k) ASSERT_NEAR(copy.Row(y)[k], smooth ? 128 : 0, 3) << k / 3 << "," << y;
    }
}

TEST_F(ReducedImageTest, FilesAreTheSameWhateverTheNumberOfThreads) {
    for (int i = 0; i < 14; ++i) {
        std::string name = folder + "/img" + std::to_string(10 + i);
        if (i % 4 == 3) {
            WriteFile(name + ".gif", AnimatedGif(30 + i, 20));
        } else {
            WriteFile(name + ".jpg", MakeJpeg({300 + 37 * i, 200 + 11 * i, i % 2 ? Chroma::S422 : Chroma::S420}));
        }
    }
    WriteFile(folder + "/notes.txt", "not an image");
    auto snapshot = [&] {
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& e : std::filesystem::directory_iterator(parent)) {
            if (e.is_regular_file()) files.emplace_back(e.path().filename(), ReadFile(e.path()));
        }
        std::sort(files.begin(), files.end());
        return files;
    };
    options.ImageSurelyCreate = true;
    ASSERT_TRUE(Run(1));
    auto one = snapshot();
    ASSERT_EQ(one.size(), 15u);  // 14 copies and the page
    ASSERT_TRUE(Run(8));
    EXPECT_EQ(snapshot(), one);
}

TEST_F(ReducedImageTest, AbortThrowsAwayCopiesMadeAhead) {
    for (int i = 1; i <= 8; ++i) WriteFile(folder + "/i" + std::to_string(i) + ".jpg", MakeJpeg({120, 90}));
    view.abortAtImage = 1;  // given while the first image is written
    ASSERT_TRUE(Run(4));
    EXPECT_TRUE(FileExists(parent + "/i1.jpg"));
    // The next image keeps its cell and copy when its copy was done before
    // the abort came, and loses both when the abort stopped its decoding.
    const bool second = ReadFile(parent + "/index.html").find("00001/i2.jpg") != std::string::npos;
    EXPECT_EQ(FileExists(parent + "/i2.jpg"), second);
    for (int i = 3; i <= 8; ++i) EXPECT_FALSE(FileExists(parent + "/i" + std::to_string(i) + ".jpg")) << i;
}

// An abort that comes while a copy is being decoded drops that image: its
// decode stops, and neither its copy nor its cell is written.
TEST_F(ReducedImageTest, AnAbortDuringADecodeDropsThatImage) {
    const std::atomic<bool> aborted{true};
    WriteFile(folder + "/big.jpg", MakeJpeg({640, 480}));
    ReducedImage cut = MakeReducedImageInMemory({ImageKind::Jpeg, folder + "/big.jpg", {320, 240}}, &aborted);
    EXPECT_TRUE(cut.aborted);
    EXPECT_FALSE(cut.ok);

    struct StopsAtSecond : ReducedImageMaker {
        int calls = 0;
        CopyOutcome MakeReducedImage(const ReducedImageRequest&, const std::string&) override {
            return ++calls == 2 ? CopyOutcome::Aborted : CopyOutcome::Written;
        }
    } maker;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) WriteFile(folder + "/" + name, MakeJpeg({64, 48}));
    FolderListWriter writer(options, view);
    writer.SetSelectedFolder(folder);
    writer.SetReducedImageMaker(&maker);
    writer.MakeList(kReducedList, 6, 200);
    EXPECT_TRUE(writer.State().AbortRequested);
    const std::string page = ReadFile(parent + "/index.html");
    EXPECT_NE(page.find("00001/a.jpg"), std::string::npos);
    EXPECT_EQ(page.find("00001/b.jpg"), std::string::npos);
    EXPECT_EQ(maker.calls, 2);
}

TEST_F(ReducedImageTest, GifCopiesStopOnCancelAndNeedOnlyTheFirstFrame) {
    WriteFile(folder + "/anim.gif", AnimatedGif(400, 300));
    ReducedImageRequest request{ImageKind::Gif, folder + "/anim.gif", {200, 150}};
    std::atomic<bool> cancel{true};
    ReducedImage cancelled = MakeReducedImageInMemory(request, &cancel);
    EXPECT_TRUE(cancelled.aborted);
    EXPECT_FALSE(cancelled.ok);
    cancel = false;
    EXPECT_TRUE(MakeReducedImageInMemory(request, &cancel).ok);

    // A later frame whose LZW data is damaged (its table walks in circles)
    // is never decoded: the copy is made from the first frame.
    FrameRecipe frame;
    frame.width = 40;
    frame.height = 20;
    frame.pixels.assign(800, 1);
    GifBuilder damaged;
    damaged.Header(40, 20, kRgbw).Frame(frame).Descriptor(frame).Raw({2});
    damaged.Raw(SubBlocks(PackCodes({{4, 3}, {7, 3}, {6, 3}, {0, 3}, {6, 4}}))).Trailer();
    WriteFile(folder + "/damaged.gif", GifBytes(damaged));
    ReducedImage copy = MakeReducedImageInMemory({ImageKind::Gif, folder + "/damaged.gif", {40, 20}});
    EXPECT_TRUE(copy.ok);
    EXPECT_EQ(copy.picture.Pixel(39, 19), (Rgb{0, 255, 0}));
}

// Frames after the first are only stepped over for a copy, so the size a
// later frame declares (beyond what any frame may have) neither stops the
// copy nor changes it: it is the copy of the same file without that frame.
TEST_F(ReducedImageTest, ALaterFrameOfAnySizeLeavesTheGifCopyAsItIs) {
    FrameRecipe frame;
    frame.width = 40;
    frame.height = 20;
    for (int i = 0; i < 800; ++i) frame.pixels.push_back(uint8_t(i % 7 % 4));
    FrameRecipe huge;
    huge.width = huge.height = 65535;
    enum class Where { None, Between, Last };
    auto gif = [&](Where where) {
        GifBuilder b;
        b.Header(40, 20, kRgbw).Application("NETSCAPE2.0", {{1, 0, 0}}).Frame(frame);
        if (where == Where::Between) b.Descriptor(huge).Raw({2, 0});
        b.Frame(frame);
        if (where == Where::Last) b.Descriptor(huge).Raw({2, 0});
        return GifBytes(b.Trailer());
    };
    WriteFile(folder + "/plain.gif", gif(Where::None));
    struct Case {
        const char* name;
        Where where;
        bool smooth;
    };
    const Case cases[] = {
        {"between, nearest pixel", Where::Between, false},
        {"last, nearest pixel", Where::Last, false},
        {"between, smooth", Where::Between, true},
        {"last, smooth", Where::Last, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(folder + "/huge.gif", gif(c.where));
        ReducedImageRequest request{ImageKind::Gif, folder + "/huge.gif", {30, 15}};
        request.target.smooth = c.smooth;
        const ReducedImage copy = MakeReducedImageInMemory(request);
        request.sourcePath = folder + "/plain.gif";
        const ReducedImage plain = MakeReducedImageInMemory(request);
        ASSERT_TRUE(plain.ok);
        EXPECT_TRUE(copy.ok);
        EXPECT_EQ(copy.jpeg, plain.jpeg);
    }
}

TEST_F(ReducedImageTest, ACopyNeverReplacesItsOwnSource) {
    const std::string jpeg = MakeJpeg({64, 48});
    WriteFile(folder + "/self.jpg", jpeg);
    ASSERT_EQ(symlink((folder + "/self.jpg").c_str(), (parent + "/self.jpg").c_str()), 0);
    options.ImageSurelyCreate = true;
    ASSERT_TRUE(Run());
    EXPECT_EQ(ReadFile(folder + "/self.jpg"), jpeg);
    EXPECT_TRUE(view.previews.empty());
}

// The decoder stops at the end-of-image marker: a motion photo's copy is the
// copy of its JPEG part alone, but for the record naming each source.
TEST_F(ReducedImageTest, AMotionPhotosCopyIsTheCopyOfItsJpegPart) {
    const std::string video = std::string("\0\0\0\x18", 4) + "ftypmp42" + std::string(70000, '\x4D');
    const std::string photo =
        InsertAfterSoi(MakeJpeg({640, 480}), XmpApp1(XmpPacket("", ContainerDirectory({std::to_string(video.size())}))));
    WriteFile(folder + "/motion.jpg", photo + video);
    WriteFile(folder + "/still.jpg", photo);
    options.MoreImageTypes = true;
    ASSERT_TRUE(Run());
    auto withoutRecord = [](const std::string& copy) {
        const std::size_t com = copy.find("\xFF\xFE");
        EXPECT_NE(com, std::string::npos);
        const std::size_t length = (uint8_t(copy[com + 2]) << 8) | uint8_t(copy[com + 3]);
        return copy.substr(0, com) + copy.substr(com + 2 + length);
    };
    const std::string motion = ReadFile(parent + "/motion.jpg"), still = ReadFile(parent + "/still.jpg");
    ASSERT_FALSE(motion.empty());
    EXPECT_EQ(withoutRecord(motion), withoutRecord(still));
    EXPECT_EQ(ParseCopyRecord(*FindCopyRecordText(motion))->sourceSize, int64_t(photo.size() + video.size()));
}

TEST_F(ReducedImageTest, SourcesThatFailToDecodeGetTheirCellButNoCopy) {
    // Passes the header probe, but has no tables or scan for libjpeg.
    WriteFile(folder + "/bad.jpg", JpegSoi() + JpegSof(0, 64, 48) + std::string(100, '\x11') + JpegEoi());
    // A GIF without any colour table fails when it is drawn.
    FrameRecipe frame;
    frame.width = frame.height = 2;
    frame.pixels = {0, 1, 1, 0};
    GifBuilder noTable;
    noTable.Header(2, 2).Frame(frame).Trailer();
    WriteFile(folder + "/notable.gif", GifBytes(noTable));
    WriteFile(folder + "/good.jpg", MakeJpeg({64, 48}));
    const std::string oldCopy = MakeJpeg({64, 48});
    WriteFile(parent + "/bad.jpg", oldCopy);  // a copy: it would be replaced
    options.ImageSurelyCreate = true;
    ASSERT_TRUE(Run());
    EXPECT_EQ(ReadFile(parent + "/bad.jpg"), oldCopy);
    EXPECT_FALSE(FileExists(parent + "/notable.gif"));
    EXPECT_TRUE(FileExists(parent + "/good.jpg"));
    std::string page = ReadFile(parent + "/index.html");
    EXPECT_NE(page.find("00001/bad.jpg"), std::string::npos);
    EXPECT_NE(page.find("00001/notable.gif"), std::string::npos);
    EXPECT_TRUE(view.messages.empty());
}

// Where the cell's own copy is not made for a limit, or a copy of another
// folder's file of the same name stands at its path, the cell shows the
// full-size image as the list of full-size images does (at
// SubImageMaxSize), the run says why once, and nothing at the path changes.
TEST_F(ReducedImageTest, ACellWithoutACopyOfItsOwnShowsTheOriginal) {
    const std::string photo = MakeJpeg({400, 300});
    struct Case {
        const char* what;
        int32_t maxSize;
        bool zoom;
        bool otherFolder;  // a copy made for ../00002/photo.jpg stands at the path
        const char* message;
        const char* img;
    } cases[] = {
        {"a copy over 2^26 pixels", 10000, true, false, "CopyTooLarge",
         "<br><img SRC=\"00001/photo.jpg\" NOSAVE height=480 width=640>"},
        {"another folder's copy of the same name", 200, false, true, "CopyOfOtherFolder",
         "<br><img SRC=\"00001/photo.jpg\" NOSAVE>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir here;
        parent = here.Make("album");
        folder = here.Make("album/00001");
        WriteFile(folder + "/photo.jpg", photo);
        std::string others;
        if (c.otherFolder) {
            // The sibling folder's photo: the same name, size and time.
            const std::string sibling = here.Make("album/00002");
            std::string another = photo;
            std::size_t at = another.size() / 2;
            while (uint8_t(another[at]) >= 0xFE || uint8_t(another[at - 1]) == 0xFF) ++at;
            another[at] = char(another[at] ^ 1);  // a scan byte: another picture of the same size
            WriteFile(sibling + "/photo.jpg", another);
            std::filesystem::last_write_time(sibling + "/photo.jpg",
                                             std::filesystem::last_write_time(folder + "/photo.jpg"));
            options.ZoomImage = false;
            folder = sibling;
            ASSERT_TRUE(Run());
            others = ReadFile(parent + "/photo.jpg");
            folder = parent + "/00001";
            std::filesystem::remove(parent + "/index.html");
        }
        options.ZoomImage = c.zoom;
        view.messages.clear();
        FolderListWriter writer(options, view);
        writer.SetSelectedFolder(folder);
        const ListResult result = writer.MakeList(kReducedList, 6, c.maxSize);
        ASSERT_TRUE(result.saved()) << result.why;
        EXPECT_EQ(result.copiesNotMade, 1);
        EXPECT_EQ(view.messages, std::vector<std::string>{std::string(c.message) + " " + parent + "/photo.jpg"});
        const std::string page = ReadFile(parent + "/index.html");
        EXPECT_NE(page.find(c.img), std::string::npos) << page;
        EXPECT_EQ(FileExists(parent + "/photo.jpg") ? ReadFile(parent + "/photo.jpg") : "", others);
    }
}

}  // namespace
}  // namespace htmlimglist
