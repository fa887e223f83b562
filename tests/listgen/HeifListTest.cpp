// HEIC and AVIF files in a run: AVIF is listed as it is, like WebP; HEIC,
// which browsers cannot show, only with reduced copies, and then the list of
// full-size images shows its copy and links to the original.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "listgen/formats/ChGetImgSize.h"
#include "listgen/FolderListWriter.h"
#include "support/HeifFixtures.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using namespace test;

class ReasonView : public RunView {
public:
    std::vector<std::pair<std::string, NotListedReason>> notListed;
    void NotListed(const std::string&, const std::string& name, NotListedReason why) override {
        notListed.emplace_back(name, why);
    }
};

class HeifListTest : public ::testing::Test {
protected:
    TempDir dir;
    GenerationOptions options;
    ReasonView view;
    std::string parent = dir.Make("album");
    std::string folder = dir.Make("album/00001");

    void SetUp() override {
        options.ImageInfo = true;
        options.MoreImageTypes = true;
        WriteFile(folder + "/a.heic", MakeHeif({.width = 400, .height = 300}));
        WriteFile(folder + "/b.avif", MakeHeif({.width = 40, .height = 30, .av1 = true}));
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

TEST_F(HeifListTest, WithoutCopiesHeicIsNotListedAndSaysWhy) {
    const std::string page = Run(kFullSizeList);
    EXPECT_EQ(page.find("a.heic"), std::string::npos) << page;
    EXPECT_NE(page.find("(1) AVIF\r\n<br><img SRC=\"b.avif\" NOSAVE>\r\n"), std::string::npos) << page;
    ASSERT_EQ(view.notListed.size(), 1u);
    EXPECT_EQ(view.notListed[0].first, "a.heic");
    EXPECT_EQ(view.notListed[0].second, NotListedReason::HeicNeedsCopies);
}

TEST_F(HeifListTest, WithCopiesTheFullSizeListShowsTheCopyOfHeic) {
    options.MakeSmallImage = true;
    const std::string reducedPage = Run(kReducedList);
    const std::string fullPage = Run(kFullSizeList);
    const struct {
        const char* name;
        int32_t width, height;
    } copies[] = {{"a.heic", 200, 150}, {"b.avif", 40, 30}};
    for (const auto& copy : copies) {
        SCOPED_TRACE(copy.name);
        ChGetImgSize probe;
        int32_t w = 0, h = 0;
        ASSERT_TRUE(probe.GetJpegSize(parent + "/" + copy.name, w, h));
        EXPECT_EQ(w, copy.width);
        EXPECT_EQ(h, copy.height);
    }
    EXPECT_NE(reducedPage.find("(1) HEIC\r\n<br><img SRC=\"a.heic\" NOSAVE>\r\n<br><a href=\"00001/a.heic\">"),
              std::string::npos)
        << reducedPage;
    // The copy, in the parent folder, drawn at the list's size; the
    // link goes to the original.
    EXPECT_NE(fullPage.find("(1) HEIC\r\n<br><img SRC=\"../a.heic\" NOSAVE height=150 width=200>\r\n"
                            "<br><a href=\"a.heic\">a.heic</a>"),
              std::string::npos)
        << fullPage;
    EXPECT_NE(fullPage.find("<img SRC=\"b.avif\" NOSAVE>"), std::string::npos) << fullPage;
    EXPECT_TRUE(view.notListed.empty());
}

}  // namespace
}  // namespace htmlimglist
