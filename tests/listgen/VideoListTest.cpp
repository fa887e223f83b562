// Videos in a run: left alone without ListVideos (the page as if they were
// not there), left out with their reason without reduced copies, and given
// poster copies at their displayed size with them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "listgen/FolderListWriter.h"
#include "listgen/formats/Registry.h"
#include "support/JpegFixtures.h"
#include "support/TempDir.h"
#include "support/VideoFixtures.h"

namespace htmlimglist {
namespace {

using namespace test;

class RecordingView : public RunView {
public:
    std::vector<std::pair<std::string, NotListedReason>> notListed;
    void NotListed(const std::string&, const std::string& name, NotListedReason why) override {
        notListed.emplace_back(name, why);
    }
};

class VideoListTest : public ::testing::Test {
protected:
    TempDir dir;
    GenerationOptions options;
    RecordingView view;
    std::string parent = dir.Make("album");
    std::string folder = dir.Make("album/00001");

    void SetUp() override {
        options.MaxPixel = 32;
        WriteFile(folder + "/a.jpg", MakeJpeg({80, 60}));
    }

    void AddVideos() {
        WriteFile(folder + "/clip.mp4", Clip({}));
        WriteFile(folder + "/turned.mov", Clip({.container = "mov", .rotate = 90}));
        WriteFile(folder + "/cut.webm", Clip({.codec = "vp9", .container = "webm"}).substr(0, 30));
    }

    std::string Run(bool reduced) {
        FolderListWriter writer(options, view);
        writer.SetSelectedFolder(folder);
        writer.SetReducedImageJobs(2);
        result = writer.MakeList(reduced, 6, options.MaxPixel);
        EXPECT_TRUE(result.saved()) << result.why;
        return ReadFile(result.pagePath);
    }
    ListResult result;
};

TEST_F(VideoListTest, WithoutListVideosThePageIsAsIfTheyWereNotThere) {
    options.MakeSmallImage = true;
    const std::string without = Run(kReducedList);
    AddVideos();
    EXPECT_EQ(Run(kReducedList), without);
    EXPECT_TRUE(view.notListed.empty());
    EXPECT_FALSE(FileExists(parent + "/clip.mp4"));
}

TEST_F(VideoListTest, WithoutReducedCopiesVideosAreLeftOutWithTheirReason) {
    options.ListVideos = true;
    AddVideos();
    const std::string page = Run(kFullSizeList);
    EXPECT_EQ(page.find("clip.mp4"), std::string::npos) << page;
    const std::vector<std::pair<std::string, NotListedReason>> expected = {
        {"clip.mp4", NotListedReason::VideoNeedsCopies},
        {"cut.webm", NotListedReason::Damaged},
        {"turned.mov", NotListedReason::VideoNeedsCopies},
    };
    EXPECT_EQ(view.notListed, expected);
}

// The copy is fitted by the displayed size (the turned MOV stands upright)
// and shown in the list of full-size images too.
TEST_F(VideoListTest, ReducedCopiesAreTheirPostersAtTheDisplayedSize) {
    options.ListVideos = true;
    options.MakeSmallImage = true;
    AddVideos();
    const std::string page = Run(kReducedList);
    const struct {
        const char* name;
        int width, height;
    } copies[] = {{"clip.mp4", 32, 24}, {"turned.mov", 24, 32}};
    for (const auto& copy : copies) {
        SCOPED_TRACE(copy.name);
        const auto probed = ProbeImageFile(parent + "/" + copy.name, ProbeOptions{});
        ASSERT_TRUE(probed.has_value());
        EXPECT_EQ(probed->Kind(), ImageKind::Jpeg);
        EXPECT_EQ(probed->header.width, copy.width);
        EXPECT_EQ(probed->header.height, copy.height);
        EXPECT_NE(ReadFile(parent + "/" + copy.name).find(std::string("src=") + copy.name), std::string::npos)
            << "the copy's record";
        EXPECT_NE(page.find(std::string("<a href=\"00001/") + copy.name + "\">"), std::string::npos) << page;
    }
    EXPECT_EQ(view.notListed, (std::vector<std::pair<std::string, NotListedReason>>{
                                  {"cut.webm", NotListedReason::Damaged}}));
    const std::string full = Run(kFullSizeList);
    EXPECT_NE(full.find("<img SRC=\"../clip.mp4\""), std::string::npos) << full;
}

// A video's cell shows its poster, links to the video and draws the play
// mark with the length ("Video" with ImageInfo); a video shorter than 4 s
// beside a still of its base name is that still's Live link instead of a
// cell of its own. Both page styles.
TEST_F(VideoListTest, VideoCellsAndLivePhotos) {
    options.ListVideos = options.MakeSmallImage = options.ImageInfo = true;
    WriteFile(folder + "/A.mov", Clip({.frames = 20, .container = "mov"}));  // 2 s, beside a.jpg
    WriteFile(folder + "/long.mp4", Clip({.frames = 50}));                   // 5 s
    const struct {
        int style;
        std::vector<std::string> parts;
    } cases[] = {
        {0,
         {"<br><a href=\"00001/a.jpg\">a.jpg</a>\r\n<br><a href=\"00001/A.mov\">Live</a>\r\n",
          "(2) MP4\r\n<br>Video\r\n<br><img SRC=\"long.mp4\" NOSAVE>\r\n<br><a href=\"00001/long.mp4\">long.mp4</a>\r\n"
          "<br>&#9654; 0:05\r\n"}},
        {1,
         {"<a href=\"00001/A.mov\">Live</a>",
          "<li id=\"2\" class=\"v\"><a href=\"00001/long.mp4\"><img src=\"long.mp4\"",
          "<span class=\"d\">0:05</span>", "<span>Video</span>"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "PageStyle " << c.style);
        options.PageStyle = c.style;
        const std::string page = Run(kReducedList);
        for (const std::string& part : c.parts) EXPECT_NE(page.find(part), std::string::npos) << part << "\nin\n" << page;
        EXPECT_EQ(page.find("SRC=\"A.mov\""), std::string::npos) << "no cell of its own";
        EXPECT_EQ(page.find("src=\"A.mov\""), std::string::npos) << "no cell of its own";
        EXPECT_EQ(result.cells, 2);
        EXPECT_EQ(result.livePaired, 1);
        EXPECT_FALSE(FileExists(parent + "/A.mov"));
    }
}

}  // namespace
}  // namespace htmlimglist
