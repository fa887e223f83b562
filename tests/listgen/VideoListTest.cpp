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
        const ListResult result = writer.MakeList(reduced, 6, options.MaxPixel);
        EXPECT_TRUE(result.saved()) << result.why;
        return ReadFile(result.pagePath);
    }
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

}  // namespace
}  // namespace htmlimglist
