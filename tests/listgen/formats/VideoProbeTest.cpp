// The video probes on box and element trees built in code, on clips ffmpeg
// makes, and on what is broken on purpose: each ends with an answer, reads
// at most its limit, and takes no still image (HEIF, AVIF) for a video.
#include "listgen/formats/VideoProbe.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <string>
#include <vector>

#include "listgen/formats/Registry.h"
#include "support/TempDir.h"
#include "support/VideoFixtures.h"

namespace htmlimglist {
namespace {

using namespace test;
using R = VideoProbeResult;

// Counts what a probe asks of the bytes.
class CountingSource final : public ProbeSource {
public:
    explicit CountingSource(std::string_view bytes) : inner_(bytes) {}
    int64_t Size() const override { return inner_.Size(); }
    std::size_t ReadAt(int64_t offset, void* buffer, std::size_t n) override {
        asked += int64_t(n);
        return inner_.ReadAt(offset, buffer, n);
    }
    int64_t asked = 0;

private:
    MemoryProbeSource inner_;
};

struct Row {
    const char* what;
    std::string bytes;
    R result;
    int width = 0, height = 0;
    const char* type = "";
    int64_t durationMs = -1;
};

IsoRecipe Iso(auto&& change) {
    IsoRecipe recipe;
    change(recipe);
    return recipe;
}

MatroskaRecipe Mkv(auto&& change) {
    MatroskaRecipe recipe;
    change(recipe);
    return recipe;
}

std::string EmptyBoxes(std::size_t count) {
    std::string boxes;
    for (std::size_t i = 0; i < count; ++i) boxes += Box("free", "");
    return boxes;
}

// A file whose movie box, first after ftyp, gives 0 for its size: it runs
// to the end of the file.
std::string MovieBoxToTheEnd() {
    std::string file = IsoVideo({});
    const std::size_t ftypSize = uint8_t(file[3]);
    file.replace(ftypSize, 4, Be32(0));
    return file;
}

std::vector<Row> IsoRows() {
    const std::string ftyp = Box("ftyp", "isom" + Be32(0x200) + "isommp42");
    return {
        {"an MP4", IsoVideo({}), R::Video, 64, 48, "MP4", 3000},
        {"the movie box after the media data", IsoVideo(Iso([](auto& r) { r.moovLast = true; })), R::Video, 64, 48,
         "MP4", 3000},
        {"the QuickTime brand", IsoVideo(Iso([](auto& r) { r.major = "qt  ", r.compatible = "qt  "; })), R::Video,
         64, 48, "MOV", 3000},
        {"a 3GPP brand", IsoVideo(Iso([](auto& r) { r.major = "3gp5", r.compatible = "3gp5"; })), R::Video, 64, 48,
         "MP4", 3000},
        {"turned a quarter clockwise", IsoVideo(Iso([](auto& r) { r.matrix[1] = 0x10000, r.matrix[2] = -0x10000,
                                                                  r.matrix[0] = r.matrix[3] = 0; })),
         R::Video, 48, 64, "MP4", 3000},
        {"turned a quarter anticlockwise", IsoVideo(Iso([](auto& r) { r.matrix[1] = -0x10000, r.matrix[2] = 0x10000,
                                                                      r.matrix[0] = r.matrix[3] = 0; })),
         R::Video, 48, 64, "MP4", 3000},
        {"turned half a turn", IsoVideo(Iso([](auto& r) { r.matrix[0] = r.matrix[3] = -0x10000; })), R::Video, 64,
         48, "MP4", 3000},
        {"no size in tkhd: the sample entry's", IsoVideo(Iso([](auto& r) { r.width = r.height = 0, r.codedWidth = 80,
                                                                           r.codedHeight = 60; })),
         R::Video, 80, 60, "MP4", 3000},
        {"wide pixels, rounded", IsoVideo(Iso([](auto& r) { r.width = 853 << 16 | 0x5555, r.height = 480 << 16; })),
         R::Video, 853, 480, "MP4", 3000},
        {"64-bit times: two hours", IsoVideo(Iso([](auto& r) { r.tkhdVersion = r.mdhdVersion = 1,
                                                               r.timeScale = 90000, r.duration = 90000ull * 7200; })),
         R::Video, 64, 48, "MP4", 7200000},
        {"a duration the file does not know", IsoVideo(Iso([](auto& r) { r.duration = 0xFFFFFFFF; })), R::Video, 64,
         48, "MP4", -1},
        {"a sound track before the video", IsoVideo(Iso([](auto& r) { r.handlerTracks = 3; })), R::Video, 64, 48,
         "MP4", 3000},
        {"sound only", IsoVideo(Iso([](auto& r) { r.handler = "soun"; })), R::NoVideoTrack},
        {"a HEIF still", IsoVideo(Iso([](auto& r) { r.major = "heic", r.compatible = "mif1heic"; })),
         R::NotThisFormat},
        {"an AVIF still that also names a video brand",
         IsoVideo(Iso([](auto& r) { r.major = "avif", r.compatible = "avifmif1miafisom"; })), R::NotThisFormat},
        {"an image sequence", IsoVideo(Iso([](auto& r) { r.major = "msf1", r.compatible = "msf1iso8"; })),
         R::NotThisFormat},
        {"no video brand", IsoVideo(Iso([](auto& r) { r.major = "jp2 ", r.compatible = "jp2 "; })),
         R::NotThisFormat},
        {"ftyp not first", Box("free", "") + IsoVideo({}), R::NotThisFormat},
        {"cut before the movie box was written", ftyp + Box("mdat", std::string(100, '\0')), R::Damaged},
        {"a movie box claiming 2^40 bytes", ftyp + Be32(1) + "moov" + Be64(uint64_t(1) << 40) + std::string(64, 0),
         R::Damaged},
        {"a box shorter than its header", ftyp + Be32(4) + "moov", R::Damaged},
        {"a movie box running to the end", MovieBoxToTheEnd(), R::Video, 64, 48, "MP4", 3000},
        {"an endless chain of empty boxes", ftyp + EmptyBoxes(500000), R::Damaged},
    };
}

std::vector<Row> MatroskaRows() {
    const std::string header = MatroskaVideo({}).substr(0, MatroskaVideo({}).find("\x18\x53\x80\x67"));
    return {
        {"a WebM", MatroskaVideo({}), R::Video, 64, 48, "WebM", 3000},
        {"a Matroska file", MatroskaVideo(Mkv([](auto& r) { r.docType = "matroska"; })), R::Video, 64, 48, "WebM",
         3000},
        {"another DocType", MatroskaVideo(Mkv([](auto& r) { r.docType = "mka"; })), R::NotThisFormat},
        {"a display size", MatroskaVideo(Mkv([](auto& r) { r.pixelWidth = 720, r.pixelHeight = 576,
                                                          r.displayWidth = 1024, r.displayHeight = 576; })),
         R::Video, 1024, 576, "WebM", 3000},
        {"an aspect ratio", MatroskaVideo(Mkv([](auto& r) { r.pixelWidth = 720, r.pixelHeight = 576,
                                                           r.displayWidth = 16, r.displayHeight = 9,
                                                           r.displayUnit = 3; })),
         R::Video, 1024, 576, "WebM", 3000},
        {"a display size in centimetres", MatroskaVideo(Mkv([](auto& r) { r.displayWidth = 10, r.displayHeight = 5,
                                                                         r.displayUnit = 1; })),
         R::Video, 64, 48, "WebM", 3000},
        {"Tracks before Info", MatroskaVideo(Mkv([](auto& r) { r.tracksFirst = true; })), R::Video, 64, 48, "WebM",
         3000},
        {"no Duration", MatroskaVideo(Mkv([](auto& r) { r.duration = -1; })), R::Video, 64, 48, "WebM", -1},
        {"ticks of a microsecond", MatroskaVideo(Mkv([](auto& r) { r.timestampScale = 1000, r.duration = 3e6; })),
         R::Video, 64, 48, "WebM", 3000},
        {"a live stream's Segment of unknown size",
         MatroskaVideo(Mkv([](auto& r) { r.unknownSegmentSize = true; })), R::Video, 64, 48, "WebM", 3000},
        {"Tracks of unknown size", MatroskaVideo(Mkv([](auto& r) { r.unknownTracksSize = true; })), R::Video, 64, 48,
         "WebM", 3000},
        {"Tracks of unknown size before Info",
         MatroskaVideo(Mkv([](auto& r) { r.unknownTracksSize = true, r.tracksFirst = true; })), R::Video, 64, 48,
         "WebM", 3000},
        {"sound only", MatroskaVideo(Mkv([](auto& r) { r.trackType = 2; })), R::NoVideoTrack},
        {"an EBML header of size all ones", EbmlUnknownSize(0x1A45DFA3, Ebml(0x4282, "webm")), R::NotThisFormat},
        {"a cluster of unknown size before the tracks",
         header + Ebml(0x18538067, EbmlUnknownSize(0x1F43B675, std::string(32, '\0'))), R::Damaged},
        {"no Segment", header + Ebml(0xEC, std::string(8, '\0')), R::Damaged},
        {"a Segment claiming more than the file holds, cut in its media",
         MatroskaVideo(Mkv([](auto& r) { r.clusterBytes = 5000; })).substr(0, 400), R::Video, 64, 48, "WebM", 3000},
        {"a size of eight zero bytes", header + "\x18\x53\x80\x67" + std::string(9, '\0'), R::Damaged},
    };
}

void Check(const Row& row) {
    SCOPED_TRACE(row.what);
    CountingSource source(row.bytes);
    ImageHeader header;
    EXPECT_EQ(ProbeVideo(source, header), row.result);
    EXPECT_LE(source.asked, kVideoProbeReadLimit * 2) << "both containers' probes together";
    if (row.result != R::Video) return;
    EXPECT_EQ(header.width, row.width);
    EXPECT_EQ(header.height, row.height);
    EXPECT_EQ(header.typeText, row.type);
    EXPECT_EQ(header.durationMs, row.durationMs);
    EXPECT_TRUE(header.video);
    EXPECT_EQ(header.orientation, 1) << "the turn is in the size";
}

TEST(VideoProbeTest, IsoBoxTrees) {
    for (const Row& row : IsoRows()) Check(row);
}

TEST(VideoProbeTest, MatroskaElementTrees) {
    for (const Row& row : MatroskaRows()) Check(row);
}

// The eight matrices that keep the picture's axes, a scaled one, and one
// that keeps none of them.
TEST(VideoProbeTest, MatricesGiveTheirOrientation) {
    constexpr int32_t k = 0x10000;
    const struct {
        int32_t a, b, c, d;
        int orientation;
    } cases[] = {
        {k, 0, 0, k, 1},   {-k, 0, 0, k, 2},  {-k, 0, 0, -k, 3},     {k, 0, 0, -k, 4},
        {0, k, k, 0, 5},   {0, k, -k, 0, 6},  {0, -k, -k, 0, 7},     {0, -k, k, 0, 8},
        {2 * k, 0, 0, 2 * k, 1}, {k, k, -k, k, 1}, {0, 0, 0, 0, 1}, {k, 0, k, 0, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OrientationOfMatrix(c.a, c.b, c.c, c.d), c.orientation) << c.a << " " << c.b << " " << c.c << " " << c.d;
    }
}

struct ClipRow {
    const char* what;
    ClipRecipe recipe;
    int width, height;
    const char* type;
};

const std::vector<ClipRow>& ClipRows() {
    static const std::vector<ClipRow> rows = {
        {"H.264 MP4, movie box first", {}, 64, 48, "MP4"},
        {"H.264 MP4, movie box last", {.faststart = false}, 64, 48, "MP4"},
        {"MOV turned a quarter", {.container = "mov", .rotate = 90}, 48, 64, "MOV"},
        {"VP9 WebM", {.codec = "vp9", .container = "webm"}, 64, 48, "WebM"},
    };
    return rows;
}

TEST(VideoProbeTest, ClipsFfmpegMakes) {
    for (const ClipRow& row : ClipRows()) {
        SCOPED_TRACE(row.what);
        const std::string& clip = Clip(row.recipe);
        MemoryProbeSource source(clip);
        const auto probed = ProbeImage(source, ProbeOptions::Everything());
        ASSERT_TRUE(probed.has_value());
        EXPECT_EQ(probed->Kind(), ImageKind::Video);
        EXPECT_EQ(probed->header.width, row.width);
        EXPECT_EQ(probed->header.height, row.height);
        EXPECT_EQ(probed->header.typeText, row.type);
        EXPECT_EQ(probed->header.durationMs, 3000);
        // Not listed unless asked for.
        EXPECT_FALSE(ProbeImage(source, ProbeOptions{true, false}).has_value());
    }
}

// Cut at several lengths, a clip is never taken for another size: either
// the part holds the whole header (the movie box came first) or it is a
// damaged video, told apart from other files once its signature is there.
TEST(VideoProbeTest, CutClipsEndWithAnAnswer) {
    for (const ClipRow& row : ClipRows()) {
        const std::string& clip = Clip(row.recipe);
        for (std::size_t length : {std::size_t(0), std::size_t(7), std::size_t(31), std::size_t(64),
                                   std::size_t(200), std::size_t(700), clip.size() / 2, clip.size() - 1}) {
            SCOPED_TRACE(testing::Message() << row.what << " cut at " << length);
            MemoryProbeSource source(std::string_view(clip).substr(0, length));
            ImageHeader header;
            const R result = ProbeVideo(source, header);
            if (result == R::Video) {
                EXPECT_EQ(header.width, row.width);
                EXPECT_EQ(header.height, row.height);
            } else if (length >= 64) {
                EXPECT_EQ(result, R::Damaged);
                EXPECT_TRUE(SniffLookalike(source, ProbeOptions::Everything()).has_value());
            }
        }
    }
}

TEST(VideoProbeTest, NoMoreThanTheLimitIsRead) {
    // Far more empty boxes, and far more media data, than the limit.
    const std::string ftyp = Box("ftyp", "isom" + Be32(0x200) + "isom");
    for (const std::string& bytes : {ftyp + EmptyBoxes(1 << 20), IsoVideo(Iso([](auto& r) {
                                         r.moovLast = true, r.mediaBytes = 8 << 20;
                                     }))}) {
        CountingSource source(bytes);
        ImageHeader header;
        ProbeIsoBmffVideo(source, header);
        EXPECT_LE(source.asked, kVideoProbeReadLimit);
    }
    std::string clusters;
    for (int i = 0; i < 100000; ++i) clusters += Ebml(0xEC, "");
    const std::string mkv = MatroskaVideo({});
    const std::string header = mkv.substr(0, mkv.find("\x18\x53\x80\x67"));
    const std::string voids = header + Ebml(0x18538067, clusters);
    CountingSource source(voids);
    ImageHeader probed;
    EXPECT_EQ(ProbeMatroskaVideo(source, probed), R::Damaged);
    EXPECT_LE(source.asked, kVideoProbeReadLimit);
}

// HEIF and AVIF files share the container; none of them is a video.
TEST(VideoProbeTest, StillImagesOfTheCorpusAreNoVideos) {
    int files = 0;
    for (const char* folder : {"heic-valid", "heic-malformed", "avif-valid", "avif-malformed"}) {
        const std::string path = std::string(HTMLIMGLIST_CORPUS) + "/" + folder;
        DIR* dir = opendir(path.c_str());
        if (dir == nullptr) continue;
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            const std::string bytes = ReadFile(path + "/" + entry->d_name);
            MemoryProbeSource source(bytes);
            ImageHeader header;
            EXPECT_NE(ProbeVideo(source, header), R::Video) << folder << "/" << entry->d_name;
            EXPECT_NE(ProbeVideo(source, header), R::Damaged) << folder << "/" << entry->d_name;
            ++files;
        }
        closedir(dir);
    }
    if (files == 0) GTEST_SKIP() << "no shared corpus";
}

}  // namespace
}  // namespace htmlimglist
