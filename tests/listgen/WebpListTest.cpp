// WebP files in a run: listed only with MoreImageTypes, with their type,
// animation mark and upright size, and given reduced copies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listgen/formats/ChGetImgSize.h"
#include "listgen/FolderListWriter.h"
#include "support/TempDir.h"
#include "support/WebpFixtures.h"

namespace htmlimglist {
namespace {

using namespace test;
using namespace std::string_literals;

class CountingView : public RunView {
public:
    int previews = 0;
    std::vector<std::string> notListed;
    std::vector<std::string> overLimit;
    void ShowPreview(const Bitmap&) override { ++previews; }
    void ShowMessage(const RunMessage& message) override {
        if (message.id == RunMessageId::CopyOverLimit) overLimit.push_back(message.argument);
    }
    void NotListed(const std::string&, const std::string& name, NotListedReason) override { notListed.push_back(name); }
};

std::string Crlf(std::initializer_list<std::string> lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

class WebpListTest : public ::testing::Test {
protected:
    TempDir dir;
    GenerationOptions options;
    CountingView view;
    std::string parent = dir.Make("album");
    std::string folder = dir.Make("album/00001");

    void SetUp() override {
        options.ImageInfo = true;
        // The lossy picture, an animation, a photo taken on its side, and a
        // header that claims more pixels than a copy is made from.
        WriteFile(folder + "/a.webp", MakeWebp({.width = 400, .height = 300}));
        WriteFile(folder + "/b.webp", MakeWebp({.width = 40, .height = 30, .lossless = true, .frames = 2}));
        WriteFile(folder + "/c.webp", MakeWebp({.width = 400, .height = 300, .alpha = true, .orientation = 6}));
        const std::string huge = "RIFF\x11\0\0\0WEBPVP8L\x05\0\0\0\x2F\xFF\xFF\xFF\x0F"s;  // 16384 x 16384
        WriteFile(folder + "/d.webp", huge);
    }

    std::string Run(bool reduced) {
        FolderListWriter writer(options, view);
        writer.SetSelectedFolder(folder);
        writer.SetReducedImageJobs(2);
        const ListResult result = writer.MakeList(reduced, 6, 200);
        EXPECT_TRUE(result.saved()) << result.why;
        return ReadFile(result.pagePath);
    }
};

std::string Cell(int number, const std::string& name, const std::string& img, const std::string& size,
                 bool animated = false) {
    return Crlf({"<td>", "<center>", "(" + std::to_string(number) + ") WebP"}) + (animated ? "<br>Animation\r\n" : "") +
           Crlf({img, "<br><a href=\"" + name + "\">" + name + "</a>", "<br>(" + size + ")", "</center>", "</td>"});
}

TEST_F(WebpListTest, ListedOnlyWithMoreImageTypes) {
    std::string page = Run(kFullSizeList);
    EXPECT_EQ(page.find("<td>"), std::string::npos) << page;
    EXPECT_TRUE(view.notListed.empty());

    options.MoreImageTypes = true;
    page = Run(kFullSizeList);
    for (const std::string& cell :
         {Cell(1, "a.webp", "<br><img SRC=\"a.webp\" NOSAVE height=150 width=200>", "400x300"),
          Cell(2, "b.webp", "<br><img SRC=\"b.webp\" NOSAVE>", "40x30", true),
          Cell(3, "c.webp", "<br><img SRC=\"c.webp\" NOSAVE height=200 width=150>", "300x400"),
          Cell(4, "d.webp", "<br><img SRC=\"d.webp\" NOSAVE height=200 width=200>", "16384x16384")}) {
        EXPECT_NE(page.find(cell), std::string::npos) << cell << "\nin\n" << page;
    }
}

// Copies are JPEG data under the source's name, upright; the picture over
// the pixel limit keeps its cell but gets no copy.
TEST_F(WebpListTest, ReducedCopiesAreMadeExceptForPicturesOverTheLimit) {
    options.MoreImageTypes = true;
    options.MakeSmallImage = true;
    const std::string page = Run(kReducedList);
    const struct {
        const char* name;
        int32_t width, height;
    } copies[] = {{"a.webp", 200, 150}, {"b.webp", 40, 30}, {"c.webp", 150, 200}};
    for (const auto& copy : copies) {
        SCOPED_TRACE(copy.name);
        ChGetImgSize probe;
        int32_t w = 0, h = 0;
        ASSERT_TRUE(probe.GetJpegSize(parent + "/" + copy.name, w, h));
        EXPECT_EQ(w, copy.width);
        EXPECT_EQ(h, copy.height);
    }
    // The picture over the limit has no copy: its cell shows the file itself,
    // sized as the list of full-size images sizes it, and the run says so.
    EXPECT_FALSE(FileExists(parent + "/d.webp"));
    EXPECT_NE(page.find("<br><img SRC=\"00001/d.webp\" NOSAVE height=640 width=640>\r\n"
                        "<br><a href=\"00001/d.webp\">d.webp</a>"),
              std::string::npos)
        << page;
    EXPECT_EQ(view.previews, 3);
    EXPECT_EQ(view.overLimit, std::vector<std::string>{parent + "/d.webp"});
}

}  // namespace
}  // namespace htmlimglist
