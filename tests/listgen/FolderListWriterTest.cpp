#include "listgen/FolderListWriter.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Directory.h"
#include "platform/Text.h"

#include "support/Fixtures.h"
#include "support/PngFixtures.h"
#include "support/TempDir.h"
#include "support/WebpFixtures.h"

namespace htmlimglist {
namespace {

using namespace test;

// Records what the writer reports; can give the abort command when the
// status line of a chosen image is shown.
class RecordingView : public RunView {
public:
    int abortAtImage = 0;  // 1-based image whose status line triggers it
    std::vector<std::string> statusNames;
    std::vector<std::pair<int32_t, int32_t>> statusSizes;
    std::vector<std::string> titles;
    std::vector<int32_t> gaugeMax;
    std::vector<int32_t> progress;
    int pumps = 0;
    FolderListWriter* writer = nullptr;  // receives the abort command at the pump

    void Pump() override {
        ++pumps;
        if (pendingAbort_ && writer != nullptr) writer->RequestAbort();
        pendingAbort_ = false;
    }
    void ShowStatus(std::string_view name, int32_t width, int32_t height, std::string_view) override {
        statusNames.emplace_back(name);
        statusSizes.emplace_back(width, height);
        if (int(statusNames.size()) == abortAtImage) pendingAbort_ = true;
    }
    void ShowTitle(std::string_view title) override { titles.emplace_back(title); }
    void StartGauge(int32_t maxValue) override { gaugeMax.push_back(maxValue); }
    void SetGaugeProgress(int32_t value) override { progress.push_back(value); }
    std::vector<std::string> notListed;
    void NotListed(const std::string&, const std::string& name, NotListedReason) override { notListed.push_back(name); }

private:
    bool pendingAbort_ = false;
};

class RecordingMaker : public ReducedImageMaker {
public:
    struct Call {
        ImageKind kind;
        std::string source;
        int32_t width, height;
        std::string dest;
        int orientation;
    };
    std::vector<Call> calls;
    CopyOutcome MakeReducedImage(const ReducedImageRequest& r, const std::string& dest) override {
        calls.push_back({r.kind, r.sourcePath, r.target.width, r.target.height, dest, r.target.orientation});
        return CopyOutcome::Written;
    }
};

std::string Crlf(std::initializer_list<std::string> lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

const std::string kHead = Crlf({"<html>", "<head>",
                                "   <meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">",
                                "   <meta name=\"GENERATOR\" content=\"Rokuza Ver2.00\">", "</head>", "<body>"});
const std::string kTableStart = "<table BORDER CELLSPACING=0 CELLPADDING=0 >\r\n";
const std::string kTail = Crlf({"&nbsp;", "</body>", "</html>"});

// A whole page: folder and navigation lines, the table's rows, the bottom
// navigation line.
std::string Page(const std::string& folderName, const std::string& nav, const std::string& rows) {
    std::string top = "Folder Name: " + folderName + "\r\n";
    std::string navLine = nav.empty() ? "" : nav + "\r\n";
    return kHead + top + navLine + kTableStart + rows + "</table>\r\n" + navLine + kTail;
}

// The cell lines with default options (image size on).
std::string Cell(int number, const std::string& name, int w, int h, const std::string& img = "") {
    std::string lower = name;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    return Crlf({"<td>", "<center>", "(" + std::to_string(number) + ") ",
                 img.empty() ? "<br><img SRC=\"" + name + "\" NOSAVE>" : img,
                 "<br><a href=\"" + name + "\">" + lower + "</a>",
                 "<br>(" + std::to_string(w) + "x" + std::to_string(h) + ")", "</center>", "</td>"});
}

std::string Row(const std::string& cells) { return "<tr>\r\n" + cells + "</tr>\r\n"; }

class FolderListWriterTest : public ::testing::Test {
protected:
    TempDir dir;
    GenerationOptions options;
    RecordingView view;

    std::string Run(const std::string& folder, bool reduced = kFullSizeList, int32_t columns = 6,
                    int32_t maxSize = 200, ReducedImageMaker* maker = nullptr) {
        FolderListWriter writer(options, view);
        view.writer = &writer;
        writer.SetSelectedFolder(folder);
        writer.SetReducedImageMaker(maker);
        const ListResult result = writer.MakeList(reduced, columns, maxSize);
        view.writer = nullptr;
        state = writer.State();
        EXPECT_TRUE(result.saved()) << result.pagePath << ": " << result.why;
        EXPECT_EQ(result.aborted, state.AbortRequested);
        pagePath = result.pagePath;
        return ReadFile(pagePath);
    }

    RunState state;
    std::string pagePath;
};

TEST_F(FolderListWriterTest, WorkedCellWithEveryOptionalLine) {
    std::string folder = dir.Make("pics");
    // 345678 bytes in all: padding goes before the end marker, which must stay last
    std::string jpeg = SmallJpeg(1600, 1200);
    jpeg.insert(jpeg.size() - 2, std::string(345678 - jpeg.size(), '\x55'));
    WriteFile(folder + "/P1010001.JPG", jpeg);
    SetLocalMtime(folder + "/P1010001.JPG", 2000, 1, 5, 10, 17, 33);
    options.ImageInfo = options.DisplayImageSize = options.DisplayFileSize = options.DisplayDateTime = true;
    options.DisplayTime = true;

    std::string rows = Row(Crlf({"<td>", "<center>", "(1) JFIF",
                                 "<br><img SRC=\"P1010001.JPG\" NOSAVE height=150 width=200>",
                                 "<br><a href=\"P1010001.JPG\">p1010001.jpg</a>", "<br>(1600x1200)",
                                 "<br>345,678Byte", "<br>2000/1/5<br>10:17:32", "</center>", "</td>"}));
    EXPECT_EQ(Run(folder), Page("pics", "", rows));
    EXPECT_EQ(pagePath, folder + "/index.html");
    EXPECT_EQ(view.statusNames, std::vector<std::string>{"P1010001.JPG"});
    EXPECT_EQ(view.titles, std::vector<std::string>{"p1010001.jpg"});
}

TEST_F(FolderListWriterTest, SevenImagesAtSixColumnsLeaveTheLastRowShort) {
    std::string folder = dir.Make("seven");
    std::string cells;
    for (int i = 1; i <= 7; ++i) WriteFile(folder + "/img" + std::to_string(i) + ".jpg", SmallJpeg(100, 80));
    std::string first, second;
    for (int i = 1; i <= 6; ++i) first += Cell(i, "img" + std::to_string(i) + ".jpg", 100, 80);
    second = Cell(7, "img7.jpg", 100, 80);
    EXPECT_EQ(Run(folder), Page("seven", "", Row(first) + Row(second)));
    EXPECT_EQ(state.ImageNumber, 8);
    EXPECT_EQ(state.ColumnIndex, 1);
}

TEST_F(FolderListWriterTest, OnlyImagesAreNumberedButEveryFileCountsForTheGauge) {
    std::string folder = dir.Make("mixed");
    WriteFile(folder + "/a.txt", "text");
    WriteFile(folder + "/B.jpg", SmallJpeg(10, 10));
    WriteFile(folder + "/c.txt", "");
    WriteFile(folder + "/d.gif", SmallGif(700, 300));
    WriteFile(folder + "/e.txt", "more text");
    options.ImageInfo = true;
    std::string rows = Row(Crlf({"<td>", "<center>", "(1) JFIF", "<br><img SRC=\"B.jpg\" NOSAVE>",
                                 "<br><a href=\"B.jpg\">b.jpg</a>", "<br>(10x10)", "</center>", "</td>"}) +
                           Crlf({"<td>", "<center>", "(2) GIF89a",
                                 "<br><img SRC=\"d.gif\" NOSAVE height=149 width=350>",
                                 "<br><a href=\"d.gif\">d.gif</a>", "<br>(700x300)", "</center>", "</td>"}));
    EXPECT_EQ(Run(folder, kFullSizeList, 6, 350), Page("mixed", "", rows));
    EXPECT_EQ(view.gaugeMax, std::vector<int32_t>{5});
    // progress after each cell is the file's index, then the count at the end
    EXPECT_EQ(view.progress, (std::vector<int32_t>{1, 3, 5}));
    EXPECT_EQ(view.pumps, 5);
}

// With MoreImageTypes, JPEGs whose trailing bytes their metadata declares
// or that are padding get cells and are not summed up as lookalikes; other
// trailing bytes still keep a JPEG out.
TEST_F(FolderListWriterTest, JpegsWithAccountedTrailersAreListedWithMoreImageTypes) {
    std::string folder = dir.Make("trailers");
    const std::string jpeg = SmallJpeg(100, 80);
    WriteFile(folder + "/motion.jpg",
              InsertAfterSoi(jpeg, XmpApp1(XmpPacket("GCamera:MicroVideoOffset=\"6\""))) + "video!");
    WriteFile(folder + "/padded.jpg", jpeg + std::string(64, '\0'));
    WriteFile(folder + "/other.jpg", jpeg + "text\n");
    Run(folder);
    EXPECT_TRUE(view.statusNames.empty());
    EXPECT_EQ(view.notListed, (std::vector<std::string>{"motion.jpg", "other.jpg", "padded.jpg"}));

    view.statusNames.clear();
    view.notListed.clear();
    options.MoreImageTypes = true;
    Run(folder);
    EXPECT_EQ(view.statusNames, (std::vector<std::string>{"motion.jpg", "padded.jpg"}));
    EXPECT_EQ(view.statusSizes, (std::vector<std::pair<int32_t, int32_t>>{{100, 80}, {100, 80}}));
    EXPECT_EQ(view.notListed, std::vector<std::string>{"other.jpg"});
}

// The window keeps one writer and changes its conditions in place.
TEST_F(FolderListWriterTest, ConditionsChangedAfterTheWriterIsMadeCountForTheNextList) {
    std::string folder = dir.Make("later");
    WriteFile(folder + "/padded.jpg", SmallJpeg(100, 80) + std::string(64, '\0'));
    FolderListWriter writer(options, view);
    writer.SetSelectedFolder(folder);
    options.MoreImageTypes = true;
    ASSERT_TRUE(writer.MakeList(kFullSizeList, 6, 200).saved());
    EXPECT_EQ(view.statusNames, std::vector<std::string>{"padded.jpg"});
}

TEST_F(FolderListWriterTest, EmptyFolderGivesAnEmptyTable) {
    std::string folder = dir.Make("empty");
    EXPECT_EQ(Run(folder), Page("empty", "", ""));
    EXPECT_EQ(view.gaugeMax, std::vector<int32_t>{0});
}

TEST_F(FolderListWriterTest, HiddenEntriesSubfoldersAndSpecialFilesAreLeftOut) {
    std::string folder = dir.Make("special");
    WriteFile(folder + "/.hidden.jpg", SmallJpeg(5, 5));
    dir.Make("special/sub.jpg");
    ASSERT_EQ(mkfifo((folder + "/fifo.jpg").c_str(), 0600), 0);
    ASSERT_EQ(symlink("missing.jpg", (folder + "/dangling.jpg").c_str()), 0);
    WriteFile(folder + "/real.jpg", SmallJpeg(5, 5));
    ASSERT_EQ(symlink("real.jpg", (folder + "/link.jpg").c_str()), 0);
    int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string sockPath = folder + "/sock.jpg";
    if (sockPath.size() < sizeof addr.sun_path) {
        std::strcpy(addr.sun_path, sockPath.c_str());
        ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    }
    std::string page = Run(folder);
    close(sock);
    EXPECT_EQ(page, Page("special", "", Row(Cell(1, "link.jpg", 5, 5) + Cell(2, "real.jpg", 5, 5))));
    EXPECT_EQ(view.gaugeMax, std::vector<int32_t>{2});
}

TEST_F(FolderListWriterTest, NamesSortCaseInsensitivelyThenByBytes) {
    std::string folder = dir.Make("order");
    for (const char* name : {"b.jpg", "A.jpg", "a.jpg", "C.jpg", "_x.jpg"}) WriteFile(folder + "/" + name, SmallJpeg(1, 1));
    Run(folder);
    EXPECT_EQ(view.statusNames, (std::vector<std::string>{"A.jpg", "a.jpg", "b.jpg", "C.jpg", "_x.jpg"}));
}

TEST_F(FolderListWriterTest, SizeAttributesFollowTheFit) {
    std::string folder = dir.Make("fit");
    WriteFile(folder + "/exact.jpg", SmallJpeg(200, 100));
    WriteFile(folder + "/small.jpg", SmallJpeg(100, 80));
    std::string keep = Row(Cell(1, "exact.jpg", 200, 100) + Cell(2, "small.jpg", 100, 80));
    EXPECT_EQ(Run(folder), Page("fit", "", keep));
    options.ZoomImage = true;
    std::string zoom = Row(Cell(1, "exact.jpg", 200, 100, "<br><img SRC=\"exact.jpg\" NOSAVE height=100 width=200>") +
                           Cell(2, "small.jpg", 100, 80, "<br><img SRC=\"small.jpg\" NOSAVE height=160 width=200>"));
    EXPECT_EQ(Run(folder), Page("fit", "", zoom));
}

TEST_F(FolderListWriterTest, ColumnsOfOneOrLessGiveEveryCellItsOwnRow) {
    std::string folder = dir.Make("cols");
    WriteFile(folder + "/a.jpg", SmallJpeg(1, 1));
    WriteFile(folder + "/b.jpg", SmallJpeg(1, 1));
    std::string expected = Page("cols", "", Row(Cell(1, "a.jpg", 1, 1)) + Row(Cell(2, "b.jpg", 1, 1)));
    EXPECT_EQ(Run(folder, kFullSizeList, 1), expected);
    EXPECT_EQ(Run(folder, kFullSizeList, 0), expected);
    EXPECT_EQ(Run(folder, kFullSizeList, -3), expected);
}

struct NavCase {
    const char* folder;  // relative to the temp folder
    bool makeSmall, orgList, reduced;
    const char* nav;
};

TEST_F(FolderListWriterTest, NavigationLinesInEveryForm) {
    const NavCase cases[] = {
        {"pics/00012", false, true, false,
         "<br><a href=\"../00011/index.html\">Prev</a> / <a href=\"../00013/index.html\">Next</a>"},
        {"pics/00000", false, true, false, "<br><a href=\"../00001/index.html\">Next</a>"},
        {"pics/photos", false, true, false, "<br><a href=\"../00001/index.html\">Next</a>"},
        {"pics/12abc", false, true, false,
         "<br><a href=\"../00011/index.html\">Prev</a> / <a href=\"../00013/index.html\">Next</a>"},
        // list of full-size images in the two-level layout
        {"base/00012/00012", true, true, false,
         "<br><a href=\"../../00011/00011/index.html\">Prev</a> / <a href=\"../../00013/00013/index.html\">Next</a>"},
        {"base/00000/00000", true, true, false, "<br><a href=\"../../00001/00001/index.html\">Next</a>"},
        // reduced list: one level up, with the way to the large images
        {"red/00012/00012", true, true, true,
         "<br><a href=\"../00011/index.html\">Prev</a> / <a href=\"../00013/index.html\">Next</a>"
         " / <a href=\"00012/index.html\">Large</a>"},
        {"red/00000/00000", true, true, true,
         "<br><a href=\"../00001/index.html\">Next</a> / <a href=\"00000/index.html\">Large</a>"},
        // without the second list there is no Large link and one level only
        {"solo/00012/00012", true, false, true,
         "<br><a href=\"../00011/index.html\">Prev</a> / <a href=\"../00013/index.html\">Next</a>"},
    };
    for (const NavCase& c : cases) {
        SCOPED_TRACE(c.folder);
        std::string folder = dir.Make(c.folder);
        options.NextPrevIndex = true;
        options.MakeSmallImage = c.makeSmall;
        options.MakeSmallImageAndOrgImageList = c.orgList;
        std::string name = folder.substr(folder.rfind('/') + 1);
        EXPECT_EQ(Run(folder, c.reduced), Page(name, c.nav, ""));
    }
}

TEST_F(FolderListWriterTest, EmptyListNameSavesNothing) {
    std::string folder = dir.Make("pics/00012");
    options.NextPrevIndex = true;
    options.HTMLListName = "";
    FolderListWriter writer(options, view);
    writer.SetSelectedFolder(folder);
    const ListResult result = writer.MakeList(kFullSizeList, 6, 200);
    EXPECT_EQ(result.status, PageStatus::Refused);  // the folder itself stands at the page's path
}

TEST_F(FolderListWriterTest, RootFolderHasAnEmptyFolderName) {
    options.NextPrevIndex = true;
    FolderListWriter writer(options, view);
    std::string savedPath, saved;
    writer.SetPageSaver([&](const std::string& path, const std::string& text) {
        savedPath = path;
        saved = text;
        return true;
    });
    writer.SetSelectedFolder("/");
    writer.MakeList(kFullSizeList, 6, 200);
    EXPECT_EQ(savedPath, "/index.html");
    std::string top = saved.substr(0, saved.find("<table"));
    EXPECT_EQ(top, kHead + "Folder Name: \r\n<br><a href=\"../00001/index.html\">Next</a>\r\n");
}

TEST_F(FolderListWriterTest, AbortWhileTheThirdImageIsWrittenStillWritesTheFourth) {
    std::string folder = dir.Make("abort");
    for (int i = 1; i <= 6; ++i) WriteFile(folder + "/i" + std::to_string(i) + ".jpg", SmallJpeg(10, 10));
    WriteFile(folder + "/a-note.txt", "not an image");  // index 0: moves nothing
    view.abortAtImage = 3;
    std::string cells;
    for (int i = 1; i <= 4; ++i) cells += Cell(i, "i" + std::to_string(i) + ".jpg", 10, 10);
    EXPECT_EQ(Run(folder), Page("abort", "", Row(cells)));
    EXPECT_TRUE(state.AbortRequested);
    // the gauge stops at the fourth image's file index
    EXPECT_EQ(view.progress.back(), 4);
}

TEST_F(FolderListWriterTest, ReducedListGoesToTheParentAndLinksToTheFullSizeImages) {
    std::string folder = dir.Make("album/00003");
    WriteFile(folder + "/Big.JPG", SmallJpeg(1600, 1200));
    WriteFile(folder + "/anim.gif", SmallGif(1000, 1, LoopExtension()));
    WriteFile(folder + "/kept.jpg", SmallJpeg(100, 80));
    const std::string oldCopy = SmallJpeg(100, 80);  // a copy from before records: baseline JFIF, fitted size
    WriteFile(dir / "album/kept.jpg", oldCopy);
    options.MakeSmallImage = true;
    RecordingMaker maker;
    std::string page = Run(folder, kReducedList, 6, 200, &maker);
    EXPECT_EQ(pagePath, dir / "album/index.html");
    EXPECT_EQ(state.SubFolderName, "00003");
    EXPECT_EQ(state.ParentFolder, dir / "album");

    ASSERT_EQ(maker.calls.size(), 2u);  // the existing copy is left alone
    EXPECT_EQ(maker.calls[0].kind, ImageKind::Gif);
    EXPECT_EQ(maker.calls[0].height, 1);  // a fitted height of 0 becomes 1
    EXPECT_EQ(maker.calls[1].kind, ImageKind::Jpeg);
    EXPECT_EQ(maker.calls[1].source, folder + "/Big.JPG");
    EXPECT_EQ(maker.calls[1].dest, dir / "album/Big.JPG");
    EXPECT_EQ(maker.calls[1].width, 200);
    EXPECT_EQ(maker.calls[1].height, 150);
    EXPECT_EQ(ReadFile(dir / "album/kept.jpg"), oldCopy);

    auto cell = [](int n, const std::string& name, const std::string& lower, const std::string& size) {
        return Crlf({"<td>", "<center>", "(" + std::to_string(n) + ") ", "<br><img SRC=\"" + name + "\" NOSAVE>",
                     "<br><a href=\"00003/" + name + "\">" + lower + "</a>", "<br>(" + size + ")", "</center>",
                     "</td>"});
    };
    std::string rows = Row(cell(1, "anim.gif", "anim.gif", "1000x1") + cell(2, "Big.JPG", "big.jpg", "1600x1200") +
                           cell(3, "kept.jpg", "kept.jpg", "100x80"));
    EXPECT_EQ(page, Page("00003", "", rows));

    options.ImageSurelyCreate = true;
    RecordingMaker always;
    Run(folder, kReducedList, 6, 200, &always);
    EXPECT_EQ(always.calls.size(), 3u);
}

// A photo stored 1600 x 1200 with an EXIF orientation: with AutoRotate every
// size a page gives (fit, attributes, size text, status line) is the upright
// one in both page kinds, and the copy is asked for upright; without it the
// pages are those of a photo with no orientation at all.
TEST_F(FolderListWriterTest, PhotosAreSizedUprightByTheirOrientation) {
    const struct {
        int orientation;
        bool autoRotate;
        int shownWidth, shownHeight;
        int fitWidth, fitHeight;
        int copyOrientation;
    } cases[] = {
        {6, true, 1200, 1600, 150, 200, 6},  {8, true, 1200, 1600, 150, 200, 8},
        {5, true, 1200, 1600, 150, 200, 5},  {7, true, 1200, 1600, 150, 200, 7},
        {3, true, 1600, 1200, 200, 150, 3},  {2, true, 1600, 1200, 200, 150, 2},
        {1, true, 1600, 1200, 200, 150, 1},  {6, false, 1600, 1200, 200, 150, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "orientation " << c.orientation << " AutoRotate " << c.autoRotate);
        const std::string name = "o" + std::to_string(c.orientation) + (c.autoRotate ? "on" : "off");
        const std::string folder = dir.Make(name + "/00001");
        WriteFile(folder + "/P.JPG", SmallExifJpeg(1600, 1200, c.orientation));
        options = GenerationOptions{};
        options.AutoRotate = c.autoRotate;
        view = RecordingView{};
        const std::string size = std::to_string(c.shownWidth) + "x" + std::to_string(c.shownHeight);

        const std::string img = "<br><img SRC=\"P.JPG\" NOSAVE height=" + std::to_string(c.fitHeight) +
                                " width=" + std::to_string(c.fitWidth) + ">";
        EXPECT_EQ(Run(folder), Page("00001", "", Row(Cell(1, "P.JPG", c.shownWidth, c.shownHeight, img))));

        options.MakeSmallImage = true;
        RecordingMaker maker;
        const std::string reducedCell = Crlf({"<td>", "<center>", "(1) ", "<br><img SRC=\"P.JPG\" NOSAVE>",
                                              "<br><a href=\"00001/P.JPG\">p.jpg</a>", "<br>(" + size + ")",
                                              "</center>", "</td>"});
        EXPECT_EQ(Run(folder, kReducedList, 6, 200, &maker), Page("00001", "", Row(reducedCell)));
        ASSERT_EQ(maker.calls.size(), 1u);
        EXPECT_EQ(maker.calls[0].width, c.fitWidth);
        EXPECT_EQ(maker.calls[0].height, c.fitHeight);
        EXPECT_EQ(maker.calls[0].orientation, c.copyOrientation);
        const std::pair<int32_t, int32_t> shown{c.shownWidth, c.shownHeight};
        EXPECT_EQ(view.statusSizes, (std::vector<std::pair<int32_t, int32_t>>{shown, shown}));
    }
}

TEST_F(FolderListWriterTest, NamesAreEscapedAndWrittenInShiftJis) {
    std::string folder = dir.Make("names");
    WriteFile(folder + "/R&D <b>\"x\".jpg", SmallJpeg(1, 1));
    WriteFile(folder + "/100%#?\\.jpg", SmallJpeg(1, 1));
    WriteFile(folder + "/Photo 1.JPG", SmallJpeg(1, 1));
    WriteFile(folder + "/\xE5\x86\x99\xE7\x9C\x9F.jpg", SmallJpeg(1, 1));  // 写真
    WriteFile(folder + "/\xF0\x9F\x98\x80.jpg", SmallJpeg(1, 1));          // an emoji CP932 lacks
    WriteFile(folder + "/raw\xFF\xFE.jpg", SmallJpeg(1, 1));                // not UTF-8
    std::string page = Run(folder);
    auto has = [&](const std::string& s) { return page.find(s) != std::string::npos; };
    EXPECT_TRUE(has("<br><a href=\"100%25%23%3F%5C.jpg\">100%#?\\.jpg</a>\r\n"));
    EXPECT_TRUE(has("<br><a href=\"Photo 1.JPG\">photo 1.jpg</a>\r\n"));
    EXPECT_TRUE(has("<br><img SRC=\"R&amp;D &lt;b&gt;&quot;x&quot;.jpg\" NOSAVE>\r\n"));
    EXPECT_TRUE(has("<br><a href=\"R&amp;D &lt;b&gt;&quot;x&quot;.jpg\">r&amp;d &lt;b&gt;&quot;x&quot;.jpg</a>\r\n"));
    EXPECT_TRUE(has("<br><a href=\"\x8E\xCA\x90\x5E.jpg\">\x8E\xCA\x90\x5E.jpg</a>\r\n"));
    EXPECT_TRUE(has("<br><a href=\"&#128512;.jpg\">&#128512;.jpg</a>\r\n"));
    EXPECT_TRUE(has("<br><a href=\"raw%FF%FE.jpg\">raw&#65533;&#65533;.jpg</a>\r\n"));
    EXPECT_FALSE(has("<b>"));
    // the view gets the names as the file system gives them
    EXPECT_NE(std::find(view.statusNames.begin(), view.statusNames.end(), "R&D <b>\"x\".jpg"), view.statusNames.end());
}

// Names a browser would read as a scheme, or lose blanks of, in both page
// kinds: the image's src, its link (FOLDER/NAME in a reduced list) and the
// reduced list's Large link. No line of a page holds a bare CR or LF.
TEST_F(FolderListWriterTest, LinksThatCouldBeSchemesOrLoseBlanks) {
    const struct {
        const char* folder;  // under its own temp folder
        const char* file;
        bool reduced;
        const char* src;
        const char* href;
        const char* large;  // the reduced list's Large link
    } cases[] = {
        {"pics", "javascript:alert(1).jpg", false, "./javascript:alert(1).jpg", "./javascript:alert(1).jpg", nullptr},
        {"pics", "C:photo.jpg", false, "./C:photo.jpg", "./C:photo.jpg", nullptr},
        {"pics", " lead.jpg", false, "%20lead.jpg", "%20lead.jpg", nullptr},
        {"pics", "trail ", false, "trail%20", "trail%20", nullptr},
        {"pics", "new\nline.jpg", false, "new%0Aline.jpg", "new%0Aline.jpg", nullptr},
        {"Trip: Kyoto", "a.jpg", true, "a.jpg", "./Trip: Kyoto/a.jpg", "./Trip: Kyoto/index.html"},
        {"Trip: Kyoto", "C:photo.jpg", true, "./C:photo.jpg", "./Trip: Kyoto/C:photo.jpg", "./Trip: Kyoto/index.html"},
        {" lead", "trail ", true, "trail%20", "%20lead/trail%20", "%20lead/index.html"},
        {"pics", "b:c.jpg", true, "./b:c.jpg", "pics/b:c.jpg", "pics/index.html"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.folder << "/" << c.file);
        const std::string folder = dir.Make("links" + std::to_string(++n) + "/" + c.folder);
        WriteFile(folder + "/" + c.file, SmallJpeg(1, 1));
        options = GenerationOptions{};
        options.NextPrevIndex = true;
        options.MakeSmallImage = c.reduced;
        RecordingMaker maker;
        const std::string page = Run(folder, c.reduced, 6, 200, &maker);
        auto has = [&](const std::string& s) { return page.find(s) != std::string::npos; };
        EXPECT_TRUE(has("<br><img SRC=\"" + std::string(c.src) + "\" NOSAVE>\r\n"));
        EXPECT_TRUE(has("<br><a href=\"" + std::string(c.href) + "\">"));
        if (c.large != nullptr) {
            EXPECT_TRUE(has(" / <a href=\"" + std::string(c.large) + "\">Large</a>\r\n"));
        }
        std::string body = page;
        for (std::size_t at; (at = body.find("\r\n")) != std::string::npos;) body.erase(at, 2);
        EXPECT_EQ(body.find_first_of("\r\n"), std::string::npos);
    }
}

TEST_F(FolderListWriterTest, DisplayNameLowersOnlyAsciiCapitals) {
    std::string folder = dir.Make("lower");
    WriteFile(folder + "/\xC3\x84PFEL.JPG", SmallJpeg(1, 1));  // Ä stays Ä
    Run(folder);
    EXPECT_EQ(view.titles, std::vector<std::string>{"\xC3\x84pfel.jpg"});
}

TEST_F(FolderListWriterTest, DateLineNeedsDisplayDateTime) {
    std::string folder = dir.Make("dates");
    WriteFile(folder + "/old.jpg", SmallJpeg(1, 1));
    SetLocalMtime(folder + "/old.jpg", 1975, 3, 4, 1, 2, 3);
    options.DisplayTime = true;
    EXPECT_EQ(Run(folder).find("<br>1975"), std::string::npos);
    options.DisplayDateTime = true;
    // dates before 1980 are shown as they are
    EXPECT_NE(Run(folder).find("<br>1975/3/4<br>01:02:02\r\n"), std::string::npos);
}

TEST_F(FolderListWriterTest, UnreadableFolderWritesNoPage) {
    FolderListWriter writer(options, view);
    writer.SetSelectedFolder(dir / "does-not-exist");
    EXPECT_EQ(writer.MakeList(kFullSizeList, 6, 200).status, PageStatus::FolderUnreadable);
    EXPECT_FALSE(FileExists(dir / "does-not-exist/index.html"));
}

TEST_F(FolderListWriterTest, FailedSaveKeepsTheOldPage) {
    std::string folder = dir.Make("keep");
    const std::string old = ToolPage("keep", {"old page"});
    WriteFile(folder + "/index.html", old);
    WriteFile(folder + "/a.jpg", SmallJpeg(1, 1));
    FolderListWriter writer(options, view);
    writer.SetSelectedFolder(folder);
    writer.SetPageSaver([](const std::string&, const std::string&) { return false; });
    EXPECT_EQ(writer.MakeList(kFullSizeList, 6, 200).status, PageStatus::NotSaved);
    EXPECT_EQ(ReadFile(folder + "/index.html"), old);
}

// A page never replaces one of the folder's images, the reduced copy of one,
// or anything that is not a regular file: it is refused before anything is
// made, and whatever stood there is left as it was.
TEST_F(FolderListWriterTest, APageNeverReplacesAnImageOrWhatIsNoFile) {
    const struct {
        const char* what;
        const char* listName;
        bool reduced;
        bool refused;
    } cases[] = {
        {"a listed photo", "IMG_0001.jpg", kFullSizeList, true},
        {"the copy of a listed photo", "IMG_0001.jpg", kReducedList, true},
        {"a photo in the parent that is not listed", "Parent.jpg", kReducedList, true},
        {"a folder", "sub", kFullSizeList, true},
        {"a text file", "notes.txt", kFullSizeList, true},
        {"nothing", "new.html", kReducedList, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir here;
        const std::string parent = here.Make("album");
        const std::string folder = here.Make("album/00001");
        const std::string photo = SmallJpeg(40, 30);
        WriteFile(folder + "/IMG_0001.jpg", photo);
        WriteFile(folder + "/notes.txt", "notes");
        WriteFile(parent + "/Parent.jpg", photo);
        here.Make("album/00001/sub");
        options.HTMLListName = c.listName;
        options.MakeSmallImage = c.reduced;
        RecordingMaker maker;
        FolderListWriter writer(options, view);
        writer.SetSelectedFolder(folder);
        writer.SetReducedImageMaker(&maker);
        const ListResult result = writer.MakeList(c.reduced, 6, 200);
        EXPECT_EQ(result.status, c.refused ? PageStatus::Refused : PageStatus::Saved) << result.why;
        EXPECT_EQ(ReadFile(folder + "/IMG_0001.jpg"), photo);
        EXPECT_EQ(ReadFile(parent + "/Parent.jpg"), photo);
        if (c.refused) {
            EXPECT_TRUE(maker.calls.empty());
        }
    }
}

// Whatever stands at the page's path decides, not the run's conditions: an
// image of any format the tool knows (listed by this run or not), a file
// that only begins like one, a link, a file the tool did not write or its
// page for another folder keep the page from being written; only a page the
// tool wrote for this folder is replaced.
TEST_F(FolderListWriterTest, APageReplacesOnlyAPageWrittenForItsFolder) {
    const std::string png = MakePng({});
    const struct {
        const char* what;
        std::string bytes;  // written at the page's path; empty: made below
        bool refused;
    } cases[] = {
        {"a PNG", png, true},
        {"a cut PNG", png.substr(0, png.size() / 2), true},
        {"a WebP", MakeWebp({}), true},
        {"a GIF", SmallGif(20, 10), true},
        {"a camera JPEG with bytes after its end marker", SmallJpeg(40, 30) + "trailing", true},
        {"an arithmetic-coded JPEG", JpegSoi() + JpegSof(9, 40, 30) + JpegEoi(), true},
        {"a link to a text file", "", true},
        {"a link that leads nowhere", "", true},
        {"a text file", "notes", true},
        {"a page of the user's own", "<html><body>mine</body></html>\n", true},
        {"this tool's page for another folder", ToolPage("00002", {"<table>"}), true},
        {"this tool's page cut short", ToolPage("00001").substr(0, 40), true},
        {"this tool's page for this folder", ToolPage("00001", {"<table>", "</table>"}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir here;
        const std::string folder = here.Make("album/00001");
        const std::string page = folder + "/page.html";
        WriteFile(folder + "/IMG_0001.jpg", SmallJpeg(40, 30));
        if (c.bytes.empty()) {
            WriteFile(folder + "/notes.txt", "notes");
            ASSERT_EQ(symlink(std::string(c.what).find("nowhere") != std::string::npos ? "gone.txt" : "notes.txt",
                              page.c_str()),
                      0);
        } else {
            WriteFile(page, c.bytes);
        }
        options.HTMLListName = "page.html";
        FolderListWriter writer(options, view);
        writer.SetSelectedFolder(folder);
        const ListResult result = writer.MakeList(kFullSizeList, 6, 200);
        EXPECT_EQ(result.status, c.refused ? PageStatus::Refused : PageStatus::Saved) << result.why;
        if (c.bytes.empty()) {
            EXPECT_TRUE(IsSymbolicLink(page));
        } else if (c.refused) {
            EXPECT_EQ(ReadFile(page), c.bytes);
        }
    }
}

// SortOrder, on both page styles: by the date a photo was taken (its EXIF
// date, or its file time read as local time), or by file time; ties stay in
// name order, and numbers follow the order shown.
TEST_F(FolderListWriterTest, SortOrderByDateTakenOrFileTime) {
    const std::string folder = dir.Make("sorted");
    const struct {
        const char* name;
        const char* dateTaken;  // "": no EXIF date
        int year;               // the file's time: 1 January of this year, noon
    } files[] = {
        {"a.jpg", "", 2021},
        {"b.jpg", "2020:06:01 10:00:00", 2022},
        {"c.jpg", "2019:06:01 10:00:00", 2023},
        {"d.jpg", "2020:06:01 10:00:00", 2022},
        {"e.jpg", "", 2018},
    };
    for (const auto& f : files) {
        ExifRecipe exif;
        exif.dateTaken = f.dateTaken;
        WriteFile(folder + "/" + f.name, InsertAfterSoi(SmallJpeg(40, 30), ExifApp1(exif)));
        SetLocalMtime(folder + "/" + f.name, f.year, 1, 1, 12, 0, 0);
    }
    const struct {
        int sortOrder;
        const char* order;
    } cases[] = {{0, "abcde"}, {1, "ecbda"}, {2, "eabdc"}};
    for (const auto& c : cases) {
        for (int style : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "SortOrder " << c.sortOrder << ", PageStyle " << style);
            options.SortOrder = c.sortOrder;
            options.PageStyle = style;
            const std::string page = Run(folder);
            std::size_t at = 0;
            for (int n = 1; n <= 5; ++n) {
                const std::string name = std::string(1, c.order[n - 1]) + ".jpg";
                const std::string cell = style == 0 ? Format("(%d) \r\n<br><img SRC=\"%s\"", n, name.c_str())
                                                    : Format("<li id=\"%d\"><a href=\"%s\"", n, name.c_str());
                at = page.find(cell, at);
                ASSERT_NE(at, std::string::npos) << cell << "\nin\n" << page;
            }
        }
    }
}

}  // namespace
}  // namespace htmlimglist
