// Loads and draws every file of the shared image corpus, when it is there:
// real files from other projects' test suites, well formed and damaged. No
// file may crash or hang the library; the well-formed ones must draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "gif/GIFException.h"
#include "gif/GIFImage.h"

namespace htmlimglist {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusFiles(const char* folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(HTMLIMGLIST_GIF_CORPUS) / folder, ec))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Loads and draws path into a 64 x 48 bitmap; answers the error text, or "".
std::string LoadAndDraw(const fs::path& path, bool& drewSomething) {
    TGIFImage image;
    Bitmap target(64, 48);
    try {
        image.LoadFromFile(path.string());
    } catch (const GIFException& e) {
        // The frames read before the fault stay and are drawn all the same.
        Bitmap partial(64, 48);
        try {
            image.Draw(partial, Rect{0, 0, 64, 48});
        } catch (const GIFException&) {
        }
        return std::string("load: ") + e.what();
    }
    try {
        image.Draw(target, Rect{0, 0, 64, 48});
    } catch (const GIFException& e) {
        return std::string("draw: ") + e.what();
    }
    drewSomething = false;
    for (int y = 0; y < target.Height() && !drewSomething; ++y)
        for (int x = 0; x < target.Width() && !drewSomething; ++x) drewSomething = !(target.Pixel(x, y) == kWhite);
    return "";
}

TEST(GifCorpusTest, WellFormedFilesLoadAndDraw) {
    std::vector<fs::path> files = CorpusFiles("gif-valid");
    if (files.empty()) GTEST_SKIP() << "no corpus at " << HTMLIMGLIST_GIF_CORPUS;
    // Well formed, but refused by design: an extension label nobody
    // registered fails the load, and so does drawing without any colours.
    const std::map<std::string, std::string> refused = {
        {"imagegif-issue-209-extension-block-type.gif", "load: Unknown extension type"},
        {"pillow-no_palette.gif", "draw: No global or local color table defined"},
    };
    int drawn = 0;
    for (const fs::path& file : files) {
        bool drew = false;
        std::string error = LoadAndDraw(file, drew);
        auto it = refused.find(file.filename().string());
        EXPECT_EQ(error, it != refused.end() ? it->second : "") << file.filename();
        drawn += drew;
    }
    // A few files have a first frame that is white, fully transparent or
    // off the screen; the rest must show something.
    EXPECT_GE(drawn, static_cast<int>(files.size()) - 8);
}

TEST(GifCorpusTest, DamagedFilesFailCleanly) {
    std::vector<fs::path> files = CorpusFiles("gif-malformed");
    if (files.empty()) GTEST_SKIP() << "no corpus at " << HTMLIMGLIST_GIF_CORPUS;
    int drawn = 0;
    for (const fs::path& file : files) {
        bool drew = false;
        LoadAndDraw(file, drew);
        drawn += drew;
    }
    // Truncated files keep what they decoded and draw it.
    EXPECT_GT(drawn, static_cast<int>(files.size()) / 4);

}

}  // namespace
}  // namespace htmlimglist
