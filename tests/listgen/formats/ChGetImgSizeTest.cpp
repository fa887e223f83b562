#include "listgen/formats/ChGetImgSize.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "support/Fixtures.h"
#include "support/JpegFixtures.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using namespace test;
using namespace std::string_literals;

struct JpegCase {
    const char* what;
    std::string bytes;
    bool accepted;
    int width, height;
    const char* type;
};

TEST(ChGetImgSizeTest, JpegMarkerWalk) {
    const std::string scan("\x11\x22", 2);
    const JpegCase cases[] = {
        {"baseline with JFIF", JpegSoi() + JpegApp(0, "JFIF") + JpegSof(0, 640, 480) + scan + JpegEoi(), true, 640,
         480, "JFIF"},
        {"progressive with only Exif", JpegSoi() + JpegApp(1, "Exif") + JpegSof(2, 100, 50) + scan + JpegEoi(), true,
         100, 50, "Exif2"},
        {"the later APP segment wins",
         JpegSoi() + JpegApp(0, "JFIF") + JpegApp(1, "Exif") + JpegSof(0, 1, 2) + JpegEoi(), true, 1, 2, "Exif"},
        {"SOF1 without APP segments", JpegSoi() + JpegSof(1, 65535, 3) + JpegEoi(), true, 65535, 3, "1"},
        {"identifier cut at 8 bytes", JpegSoi() + JpegApp(0, "ABCDEFGHIJ") + JpegSof(0, 5, 5) + JpegEoi(), true, 5,
         5, "ABCDEFGH"},
        {"other segments skipped by their length",
         JpegSoi() + JpegSegment(0xDB, std::string(64, '\1')) + JpegSegment(0xFE, "comment") + JpegSof(0, 9, 8) +
             JpegEoi(),
         true, 9, 8, ""},
        {"SOI inside is taken as carrying a length", JpegSoi() + "\xFF\xD8\x00\x02"s + JpegSof(0, 7, 6) + JpegEoi(),
         true, 7, 6, ""},
        {"one byte after EOI", JpegSoi() + JpegSof(0, 640, 480) + JpegEoi() + "x", false, 0, 0, ""},
        {"lossless SOF3 only: walked into the scan", JpegSoi() + JpegSof(3, 640, 480) + "\x01\x02" + JpegEoi(),
         false, 0, 0, ""},
        {"segment length 0", JpegSoi() + "\xFF\xDB" + std::string("\x00\x00", 2) + JpegEoi(), false, 0, 0, ""},
        {"segment length 1", JpegSoi() + "\xFF\xDB" + std::string("\x00\x01", 2) + JpegEoi(), false, 0, 0, ""},
        {"marker without FF", JpegSoi() + "\x12\x34" + JpegSof(0, 1, 1) + JpegEoi(), false, 0, 0, ""},
        {"truncated frame header", JpegSoi() + "\xFF\xC0\x00\x11\x08"s + JpegEoi(), false, 0, 0, ""},
        {"truncated APP segment", JpegSoi() + "\xFF\xE0\x00\x10JF"s + JpegEoi(), false, 0, 0, ""},
        {"no SOI", "\xFF\xD9" + JpegSof(0, 1, 1) + JpegEoi(), false, 0, 0, ""},
        {"length runs past the end", JpegSoi() + "\xFF\xDB\x7F\xFF" + JpegEoi(), false, 0, 0, ""},
        {"empty", "", false, 0, 0, ""},
        {"one byte", "\xFF", false, 0, 0, ""},
        {"just EOI", JpegEoi(), false, 0, 0, ""},
    };
    for (const JpegCase& c : cases) {
        SCOPED_TRACE(c.what);
        ChGetImgSize probe;
        std::strcpy(probe.AnimationId, "stale");
        MemoryProbeSource source(c.bytes);
        int32_t w = -1, h = -1;
        EXPECT_EQ(probe.GetJpegSize(source, w, h), c.accepted);
        EXPECT_STREQ(probe.AnimationId, "");
        if (c.accepted) {
            EXPECT_EQ(w, c.width);
            EXPECT_EQ(h, c.height);
            EXPECT_STREQ(probe.JpegType, c.type);
        }
    }
}

// Which segment gives the orientation, and that reading it changes nothing
// else the probe reports.
TEST(ChGetImgSizeTest, OrientationFromTheFirstExifSegment) {
    auto exif = [](int orientation, auto change) {
        ExifRecipe recipe;
        recipe.orientation = orientation;
        change(recipe);
        return ExifApp1(recipe);
    };
    auto plain = [](ExifRecipe&) {};
    const std::string jfif = JpegApp(0, "JFIF"), xmp = JpegApp(1, "http://ns.adobe.com/xap/1.0/");
    const std::string frame = JpegSof(0, 640, 480) + "\x11\x22"s + JpegEoi();
    const struct {
        const char* what;
        std::string bytes;
        int orientation;
        const char* type;
    } cases[] = {
        {"none", JpegSoi() + jfif + frame, 1, "JFIF"},
        {"Exif before JFIF", JpegSoi() + exif(6, plain) + jfif + frame, 6, "JFIF"},
        {"Exif after an XMP APP1", JpegSoi() + xmp + exif(6, plain) + frame, 6, "Exif"},
        {"two Exif segments: the first counts", JpegSoi() + exif(3, plain) + exif(6, plain) + frame, 3, "Exif"},
        {"a damaged first Exif segment still counts",
         JpegSoi() + exif(6, [](ExifRecipe& s) { s.type = 4; }) + exif(6, plain) + frame, 1, "Exif"},
        {"Exif data in APP0 is not read", JpegSoi() + JpegSegment(0xE0, ExifData(ExifRecipe{false, 6})) + frame, 1,
         "Exif"},
        {"segment cut inside IFD0, file going on", JpegSoi() + JpegSegment(0xE1, ExifData(ExifRecipe{false, 6}).substr(0, 30)) + frame,
         1, "Exif"},
        {"IFD0 beyond the first kilobyte", JpegSoi() + exif(8, [](ExifRecipe& s) { s.gapBeforeIfd0 = 3000; }) + frame, 8,
         "Exif"},
        {"tag beyond the first kilobyte",
         JpegSoi() + exif(5, [](ExifRecipe& s) { s.entries = 150, s.tagIndex = 120; }) + frame, 5, "Exif"},
        {"largest segment, IFD0 at its end",
         JpegSoi() + exif(7, [](ExifRecipe& s) { s.gapBeforeIfd0 = 65533 - 6 - 8 - 2 - 12 * 5 - 4; }) + frame, 7,
         "Exif"},
        {"progressive", JpegSoi() + exif(2, plain) + JpegSof(2, 640, 480) + JpegEoi(), 2, "Exif2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChGetImgSize probe;
        MemoryProbeSource source(c.bytes);
        int32_t w = -1, h = -1;
        ASSERT_TRUE(probe.GetJpegSize(source, w, h));
        EXPECT_EQ(probe.Orientation, c.orientation);
        EXPECT_EQ(w, 640);
        EXPECT_EQ(h, 480);
        EXPECT_STREQ(probe.JpegType, c.type);
    }
}

// Photos from cameras and other programs in the shared corpus, one for each
// orientation, in both byte orders and with the Exif segment before or
// after a JFIF one.
TEST(ChGetImgSizeTest, OrientationOfCorpusPhotos) {
    const std::string folder = HTMLIMGLIST_CORPUS "/jpeg-valid/";
    int probed = 0;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string n = std::to_string(orientation);
        for (const std::string& name : {"exifs-landscape_" + n, "exifs-portrait_" + n, "pillow-hopper_orientation_" + n}) {
            const std::string path = folder + name + ".jpg";
            if (!std::filesystem::exists(path)) continue;
            SCOPED_TRACE(name);
            ChGetImgSize probe;
            int32_t w, h;
            ASSERT_TRUE(probe.GetJpegSize(path, w, h));
            EXPECT_EQ(probe.Orientation, orientation);
            ++probed;
        }
    }
    if (probed == 0) GTEST_SKIP() << "no corpus at " << HTMLIMGLIST_CORPUS;
}

TEST(ChGetImgSizeTest, OrientationIsResetForEveryFile) {
    ChGetImgSize probe;
    int32_t w, h;
    const std::string turned = SmallExifJpeg(40, 30, 6);
    MemoryProbeSource jpeg(turned);
    ASSERT_TRUE(probe.GetJpegSize(jpeg, w, h));
    ASSERT_EQ(probe.Orientation, 6);
    const std::string gifBytes = SmallGif(3, 4);
    MemoryProbeSource gif(gifBytes);
    EXPECT_TRUE(probe.GetGifSize(gif, w, h));
    EXPECT_EQ(probe.Orientation, 1);

    ASSERT_TRUE(probe.GetJpegSize(jpeg, w, h));
    // The segment runs past the end of a cut file: refused as before.
    const std::string cut = JpegSoi() + JpegSegment(0xE1, ExifData(ExifRecipe{false, 6})).substr(0, 40) + JpegEoi();
    MemoryProbeSource cutSource(cut);
    EXPECT_FALSE(probe.GetJpegSize(cutSource, w, h));
    const std::string small = SmallJpeg(5, 5);
    MemoryProbeSource plain(small);
    EXPECT_TRUE(probe.GetJpegSize(plain, w, h));
    EXPECT_EQ(probe.Orientation, 1);
}

struct GifCase {
    const char* what;
    std::string bytes;
    bool accepted;
    const char* animation;
};

TEST(ChGetImgSizeTest, GifHeaderAndLoopSearch) {
    const std::string globalTable(6, '\0');
    auto gifAt = [](std::size_t loopOffset, const std::string& id = "NETSCAPE2.0") {
        // Filler so that the extension starts loopOffset bytes into the file
        // (the header is 13 bytes), then enough bytes after it to be searched.
        return SmallGif(2, 2, std::string(loopOffset - 13, 'z') + LoopExtension(id) + std::string(64, 'z'));
    };
    const GifCase cases[] = {
        {"loop extension after the colour table", SmallGif(2, 2, globalTable + LoopExtension()), true, "NETSCAPE2.0"},
        {"second form", SmallGif(2, 2, LoopExtension("ANIMEXTS1.0")), true, "ANIMEXTS1.0"},
        {"no extension", SmallGif(2, 2, globalTable), true, ""},
        {"extension starting at offset 1019 is seen", gifAt(1019), true, "NETSCAPE2.0"},
        {"extension starting at offset 1020 is not", gifAt(1020), true, ""},
        {"extension running into the last byte read is not seen",
         "GIF89a" + std::string("\x02\x00\x02\x00", 4) + LoopExtension().substr(0, 14), false, ""},
        {"no trailer", SmallGif(2, 2, LoopExtension()) + "x", false, "NETSCAPE2.0"},
        {"87a", SmallGif(2, 2, "", "GIF87a"), true, ""},
        {"not GIF", "GIX89a" + std::string(20, '\0') + std::string("\x00\x3B", 2), false, ""},
        {"nine bytes", "GIF89a\x01\x00\x01"s, false, ""},
    };
    for (const GifCase& c : cases) {
        SCOPED_TRACE(c.what);
        ChGetImgSize probe;
        MemoryProbeSource source(c.bytes);
        int32_t w = -1, h = -1;
        EXPECT_EQ(probe.GetGifSize(source, w, h), c.accepted);
        if (c.bytes.size() >= 10 && c.bytes.compare(0, 3, "GIF") == 0) {
            EXPECT_STREQ(probe.AnimationId, c.animation);
            EXPECT_EQ(w, 2);  // filled before the trailer test, also on false
            EXPECT_EQ(h, 2);
        }
    }
}

TEST(ChGetImgSizeTest, GifVersionAndLittleEndianSize) {
    ChGetImgSize probe;
    std::string bytes = SmallGif(0x1234, 0x0201, "", "GIF87a");
    MemoryProbeSource source(bytes);
    int32_t w, h;
    ASSERT_TRUE(probe.GetGifSize(source, w, h));
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(h, 0x0201);
    EXPECT_STREQ(probe.GifVersion, "GIF87a");
}

TEST(ChGetImgSizeTest, FilesAreRecognisedByContentNotName) {
    TempDir dir;
    WriteFile(dir / "really-a-jpeg.gif", SmallJpeg(30, 20));
    WriteFile(dir / "really-a-gif.jpg", SmallGif(3, 4));
    WriteFile(dir / "empty.jpg", "");
    ChGetImgSize probe;
    int32_t w, h;
    EXPECT_TRUE(probe.GetJpegSize(dir / "really-a-jpeg.gif", w, h));
    EXPECT_EQ(w, 30);
    EXPECT_FALSE(probe.GetGifSize(dir / "really-a-jpeg.gif", w, h));
    EXPECT_FALSE(probe.GetJpegSize(dir / "really-a-gif.jpg", w, h));
    EXPECT_TRUE(probe.GetGifSize(dir / "really-a-gif.jpg", w, h));
    EXPECT_EQ(h, 4);
    EXPECT_FALSE(probe.GetJpegSize(dir / "empty.jpg", w, h));
    EXPECT_FALSE(probe.GetGifSize(dir / "empty.jpg", w, h));
    EXPECT_FALSE(probe.GetJpegSize(dir / "missing.jpg", w, h));
}

TEST(ChGetImgSizeTest, NeverOpensWhatIsNotARegularFile) {
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "fifo.jpg").c_str(), 0600), 0);
    ChGetImgSize probe;
    int32_t w, h;
    // Opening a FIFO without a writer would block a plain open.
    EXPECT_FALSE(probe.GetJpegSize(dir / "fifo.jpg", w, h));
    EXPECT_FALSE(probe.GetGifSize(dir / "fifo.jpg", w, h));
    EXPECT_FALSE(probe.GetJpegSize(dir.path(), w, h));
}

TEST(ChGetImgSizeTest, LargeFileWalkedAcrossReadWindows) {
    // Segments that straddle the file reader's window edges must be read whole.
    std::string bytes = JpegSoi();
    for (int i = 0; i < 300; ++i) bytes += JpegSegment(0xFE, std::string(size_t(37 + i % 13), 'c'));
    // An Exif segment whose IFD0 lies past the reader's first window.
    ExifRecipe exif;
    exif.orientation = 6;
    exif.gapBeforeIfd0 = 20000;
    bytes += ExifApp1(exif) + JpegSof(2, 4000, 3000) + std::string(100000, '\x55') + JpegEoi();
    TempDir dir;
    WriteFile(dir / "big.jpg", bytes);
    ChGetImgSize probe;
    int32_t w, h;
    ASSERT_TRUE(probe.GetJpegSize(dir / "big.jpg", w, h));
    EXPECT_EQ(w, 4000);
    EXPECT_EQ(h, 3000);
    EXPECT_STREQ(probe.JpegType, "Exif2");
    EXPECT_EQ(probe.Orientation, 6);
}

// With AcceptDeclaredTrailers, a JPEG followed by bytes that its XMP packet
// or a SEF trailer accounts for, or by padding, is recognised with what its
// JPEG part alone gives; anything else after the end-of-image marker is
// refused. Without the condition all of them are refused, as before.
TEST(ChGetImgSizeTest, BytesAfterTheEndOfImage) {
    ExifRecipe exif;
    exif.orientation = 6;
    const std::string photo = InsertAfterSoi(MakeJpeg({64, 48}), ExifApp1(exif));
    const std::string video = "\0\0\0\x18"s + "ftypmp42" + std::string(5000, '\x4D');
    const std::string longVideo = "\0\0\0\x18"s + "ftypmp42" + std::string(100000, '\x4D');
    const std::string n = std::to_string(video.size());
    auto offset = [](std::size_t length) {
        return XmpPacket("GCamera:MicroVideo=\"1\" GCamera:MicroVideoOffset=\"" + std::to_string(length) + "\"");
    };
    auto withXmp = [&](const std::string& packet) { return InsertAfterSoi(photo, XmpApp1(packet)); };
    // The offset leads to an FF D9 in a comment before the frame header.
    std::string early;
    for (std::size_t guess = 0;;) {
        early = InsertAfterSoi(photo, XmpApp1(offset(guess)) + JpegSegment(0xFE, "ab\xFF\xD9")) + video;
        const std::size_t want = early.size() - (early.find("ab\xFF\xD9") + 4);
        if (want == guess) break;
        guess = want;
    }
    const SefBlock motion{0x0A30, "MotionPhoto_Data", video}, utc{0x0A01, "Image_UTC_Data", "1700000000123"};
    const std::string bigComment = JpegSegment(0xFE, std::string(65533, 'c'));
    const struct {
        const char* what;
        std::string bytes;
        bool accepted;
    } cases[] = {
        {"MicroVideoOffset: the video's length", withXmp(offset(video.size())) + video, true},
        {"MicroVideoOffset one byte short", withXmp(offset(video.size() - 1)) + video, false},
        {"MicroVideoOffset one byte long", withXmp(offset(video.size() + 1)) + video, false},
        {"MicroVideoOffset reaching into the scan", withXmp(offset(video.size() + 100)) + video, false},
        {"MicroVideoOffset at an FF D9 before the frame header", early, false},
        {"MicroVideoOffset larger than the file", withXmp(offset(10000000)) + video, false},
        {"MicroVideoOffset, but the JPEG part has no end marker",
         InsertAfterSoi(photo.substr(0, photo.size() - 2), XmpApp1(offset(video.size()))) + video, false},
        {"directory: primary and video", withXmp(XmpPacket("", ContainerDirectory({n}))) + video, true},
        {"directory: gain map and video", withXmp(XmpPacket("", ContainerDirectory({"1000", std::to_string(video.size() - 1000)}))) + video, true},
        {"directory: lengths not summing",
         withXmp(XmpPacket("", ContainerDirectory({"1000", std::to_string(video.size() - 999)}))) + video, false},
        {"directory: a negative length",
         withXmp(XmpPacket("", ContainerDirectory({"-5", std::to_string(video.size() + 5)}))) + video, false},
        {"directory: an item without length", withXmp(XmpPacket("", ContainerDirectory({n, ""}))) + video, false},
        {"XMP segment beyond the first 64 KiB", InsertAfterSoi(photo, bigComment + XmpApp1(offset(video.size()))) + video,
         false},
        {"video longer than the bytes read at the end", withXmp(offset(longVideo.size())) + longVideo, true},
        {"SEF trailer", photo + SefTrailer({motion, utc}), true},
        {"SEF entry reaching before the file", photo + SefTrailer({motion, utc}, int64_t(photo.size()) + 1), false},
        {"SEF entry two bytes off", photo + SefTrailer({motion, utc}, 2), false},
        {"SEF trailer without the JPEG's end marker", photo + "xx" + SefTrailer({motion, utc}), false},
        {"zero padding", photo + std::string(512, '\0'), true},
        {"0xFF padding", photo + std::string(300, '\xFF'), true},
        {"mixed padding", photo + "\0\xFF\xFF\0\0\xFF"s, true},
        {"one zero byte", photo + '\0', true},
        {"a newline is not padding", photo + "\n", false},
        {"padding, then something else", photo + std::string(10, '\0') + "x", false},
        {"other bytes", photo + "trailing bytes", false},
        {"padding longer than the bytes read at the end", photo + std::string(70000, '\0'), false},
        {"padding after a JPEG cut in its scan", photo.substr(0, photo.size() - 50) + std::string(100, '\0'), false},
    };
    TempDir dir;
    int32_t w, h;
    ChGetImgSize plain;
    MemoryProbeSource photoSource(photo);
    ASSERT_TRUE(plain.GetJpegSize(photoSource, w, h));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(dir / "photo.jpg", c.bytes);
        ChGetImgSize probe;
        EXPECT_FALSE(probe.GetJpegSize(dir / "photo.jpg", w, h));
        probe.AcceptDeclaredTrailers = true;
        w = h = -1;
        EXPECT_EQ(probe.GetJpegSize(dir / "photo.jpg", w, h), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(w, 64);
            EXPECT_EQ(h, 48);
            EXPECT_EQ(probe.Orientation, 6);
            EXPECT_STREQ(probe.JpegType, plain.JpegType);
        }
    }
}

}  // namespace
}  // namespace htmlimglist
