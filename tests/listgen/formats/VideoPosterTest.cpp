// Poster frames: the key frame chosen, its pixels against ffmpeg's own
// decode of that frame (the nearest pixel at each centre, and the exact
// area average), the display rotation, and what ends a decode early.
#include "listgen/formats/VideoPoster.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listgen/formats/Registry.h"
#include "listgen/formats/VideoProbe.h"
#include "listgen/reduce/Orientation.h"
#include "support/BoxReference.h"
#include "support/Decoding.h"
#include "support/TempDir.h"
#include "support/VideoFixtures.h"

namespace htmlimglist {
namespace {

using namespace test;

TEST(VideoPosterTest, ThePosterTimeIsOneSecondOrATenthOfAShortClip) {
    const std::pair<int64_t, int64_t> cases[] = {
        {-1, 1000}, {0, 0}, {3000, 300}, {9999, 999}, {10000, 1000}, {7200000, 1000},
    };
    for (auto [duration, at] : cases) EXPECT_EQ(PosterTimeMs(duration), at) << duration;
}

struct FrameRow {
    const char* what;
    ClipRecipe recipe;
    int frame;          // the frame the poster must be, in presentation order
    int width, height;  // as shown
};

// 10 frames a second: frame n is at n / 10 s.
const std::vector<FrameRow>& FrameRows() {
    static const std::vector<FrameRow> rows = {
        {"3 s: the first key frame after 0.3 s", {.keyEvery = 2}, 4, 64, 48},
        {"3 s, movie box last", {.keyEvery = 15, .faststart = false}, 15, 64, 48},
        {"12 s: the key frame at 1 s itself", {.frames = 120, .keyEvery = 10}, 10, 64, 48},
        {"12 s: the first key frame after 1 s", {.frames = 120, .keyEvery = 7}, 14, 64, 48},
        {"no key frame after the time: the last before it", {.frames = 30, .keyEvery = 1000}, 0, 64, 48},
        {"MOV turned a quarter", {.container = "mov", .rotate = 90}, 15, 48, 64},
        {"MOV turned half a turn", {.container = "mov", .rotate = 180}, 15, 64, 48},
        {"VP9 WebM", {.codec = "vp9", .container = "webm"}, 15, 64, 48},
        {"odd sizes", {.width = 75, .height = 41, .codec = "vp9", .container = "webm"}, 15, 75, 41},
    };
    return rows;
}

class VideoPosterFrameTest : public testing::TestWithParam<std::size_t> {
protected:
    const FrameRow& row() const { return FrameRows()[GetParam()]; }
};

// The nearest road equals ffmpeg's decode of the frame put through the
// centre rule (Bitmap::StretchDraw); the smooth road equals its exact area
// average. Turned further by the caller, the poster turns on top of the
// video's own turn.
TEST_P(VideoPosterFrameTest, ThePosterIsFfmpegsFrameReduced) {
    const FrameRow& r = row();
    const std::string& clip = Clip(r.recipe);
    TempDir dir;
    const std::string path = dir / "clip";
    WriteFile(path, clip);
    const Bitmap reference = FfmpegFrame(path, r.frame, r.width, r.height);
    ASSERT_EQ(reference.Width(), r.width);
    for (const int orientation : {1, 2, 6}) {
        const Bitmap shown = TurnUpright(reference, orientation);
        for (auto [w, h] : {std::pair{shown.Width(), shown.Height()}, std::pair{23, 17}, std::pair{7, 30}}) {
            SCOPED_TRACE(testing::Message() << "orientation " << orientation << " to " << w << "x" << h);
            Bitmap nearest(w, h);
            nearest.StretchDraw(Rect{0, 0, w, h}, shown);
            for (const DecodeInput& input : {FromFile(path), FromBytes(clip)}) {
                Bitmap out;
                DecodeReport report;
                ASSERT_TRUE(DecodeScaled(ImageKind::Video, input, w, h, out, &report, orientation)) << report.error;
                EXPECT_TRUE(SamePixels(out, nearest));
                EXPECT_EQ(report.sourceWidth, r.width);
                EXPECT_EQ(report.sourceHeight, r.height);
                EXPECT_EQ(report.warnings, 0);
            }
            if (w > shown.Width() || h > shown.Height()) continue;
            Bitmap smooth;
            DecodeReport report;
            ASSERT_TRUE(DecodeScaled(ImageKind::Video, FromFile(path), w, h, smooth, &report, orientation, true));
            EXPECT_TRUE(SamePixels(smooth, BoxAverageReference(shown, w, h)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Clips, VideoPosterFrameTest, testing::Range<std::size_t>(0, FrameRows().size()),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             std::string name = FrameRows()[info.param].what;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

bool Poster(std::string_view bytes, const VideoPosterBounds& bounds, DecodeReport& report) {
    Bitmap out;
    return DecodeVideoPoster(FromBytes(bytes), ReduceTarget{16, 12}, DecodeControl{}, bounds, out, report);
}

// Time and the bytes read end a decode, with the reason.
TEST(VideoPosterTest, TheBoundsEndADecode) {
    const std::string& clip = Clip({.frames = 120, .keyEvery = 40});
    const struct {
        VideoPosterBounds bounds;
        const char* reason;
    } cases[] = {
        {{std::chrono::milliseconds(0), int64_t(64) << 20}, "took longer than 0 ms"},
        {{std::chrono::milliseconds(5000), 1000}, "read more than 1000 bytes"},
        {{std::chrono::milliseconds(5000), int64_t(clip.size()) / 2}, "read more than"},
    };
    for (const auto& c : cases) {
        DecodeReport report;
        EXPECT_FALSE(Poster(clip, c.bounds, report));
        EXPECT_NE(report.error.find(c.reason), std::string::npos) << report.error;
        EXPECT_FALSE(report.aborted);
    }
    DecodeReport report;
    EXPECT_TRUE(Poster(clip, {}, report)) << report.error;
}

// Files that hold no frame to show keep their cell and get no copy: the
// decode fails with a reason. A recording stopped at once has no video
// track at all and is no video.
TEST(VideoPosterTest, FilesWithoutAFrameToShowFail) {
    const std::string& clip = Clip({});
    const std::size_t mdat = clip.find("mdat");
    ASSERT_NE(mdat, std::string::npos);
    const std::string rows[] = {
        IsoVideo({}),                 // a video track without samples
        clip.substr(0, mdat + 4),     // the movie box whole, the media data gone
        MatroskaVideo({}),            // Tracks, and a cluster of nothing
    };
    for (const std::string& bytes : rows) {
        MemoryProbeSource source(bytes);
        ImageHeader header;
        ASSERT_EQ(ProbeVideo(source, header), VideoProbeResult::Video);
        DecodeReport report;
        EXPECT_FALSE(Poster(bytes, {}, report));
        EXPECT_FALSE(report.error.empty());
    }
    TempDir dir;
    const std::string empty = dir / "empty.mp4";
    ASSERT_EQ(std::system(("ffmpeg -nostdin -v error -f lavfi -i testsrc2=size=64x48 -frames:v 0 -c:v libx264 " +
                           empty).c_str()),
              0);
    const std::string bytes = ReadFile(empty);
    MemoryProbeSource source(bytes);
    ImageHeader header;
    EXPECT_EQ(ProbeVideo(source, header), VideoProbeResult::NoVideoTrack);
    Bitmap out;
    DecodeReport report;
    EXPECT_FALSE(DecodeScaled(ImageKind::Video, FromFile(empty), 16, 12, out, &report));
    EXPECT_EQ(report.error, "not a video file");
}

}  // namespace
}  // namespace htmlimglist
