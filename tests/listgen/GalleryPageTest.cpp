#include "listgen/GalleryPage.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace htmlimglist {
namespace {

// Awkward file names: what a link and what the text makes of each.
struct NameCase {
    const char* name;
    const char* url;
    const char* text;
};
const NameCase kNames[] = {
    {"plain-name_1.~x", "plain-name_1.~x", "plain-name_1.~x"},  // the unreserved set stays as it is
    {"my photo.jpg", "my%20photo.jpg", "my photo.jpg"},
    {" lead trail .jpg", "%20lead%20trail%20.jpg", " lead trail .jpg"},
    {"R&D.jpg", "R%26D.jpg", "R&amp;D.jpg"},
    {"#1?.jpg", "%231%3F.jpg", "#1?.jpg"},
    {"100%.jpg", "100%25.jpg", "100%.jpg"},
    {"it's \"hi\".jpg", "it%27s%20%22hi%22.jpg", "it's &quot;hi&quot;.jpg"},
    {"<img src=x onerror=alert(1)>.jpg", "%3Cimg%20src%3Dx%20onerror%3Dalert%281%29%3E.jpg",
     "&lt;img src=x onerror=alert(1)&gt;.jpg"},
    {"javascript:alert(1).jpg", "javascript%3Aalert%281%29.jpg", "javascript:alert(1).jpg"},  // never a scheme
    {"C:photo.jpg", "C%3Aphoto.jpg", "C:photo.jpg"},
    {"a|b\\c+d,e;f=g@h.jpg", "a%7Cb%5Cc%2Bd%2Ce%3Bf%3Dg%40h.jpg", "a|b\\c+d,e;f=g@h.jpg"},
    {"写真 一番.JPG", "%E5%86%99%E7%9C%9F%20%E4%B8%80%E7%95%AA.JPG", "写真 一番.JPG"},
    // No Shift_JIS rules here: yen sign, wave dash and minus are themselves.
    {"¥〜−‖.jpg", "%C2%A5%E3%80%9C%E2%88%92%E2%80%96.jpg", "¥〜−‖.jpg"},
    {"😀 smile.gif", "%F0%9F%98%80%20smile.gif", "😀 smile.gif"},
    {"caf\xe9.jpg", "caf%E9.jpg", "caf&#65533;.jpg"},                  // Latin-1, not UTF-8
    {"\xe5\x86.jpg", "%E5%86.jpg", "&#65533;&#65533;.jpg"},             // cut-off sequence
    {"\xc0\xaf.jpg", "%C0%AF.jpg", "&#65533;&#65533;.jpg"},             // overlong "/"
    {"\xed\xa0\x80.jpg", "%ED%A0%80.jpg", "&#65533;&#65533;&#65533;.jpg"},  // a surrogate
    {"new\nline\r\t.jpg", "new%0Aline%0D%09.jpg", "new&#65533;line&#65533;&#65533;.jpg"},
    {"del\x7f.jpg", "del%7F.jpg", "del&#65533;.jpg"},
    {"nel\xc2\x85 nbsp\xc2\xa0.jpg", "nel%C2%85%20nbsp%C2%A0.jpg", "nel&#65533; nbsp\xc2\xa0.jpg"},  // C1 only
    {"a/b", "a%2Fb", "a/b"},  // a "/" inside one segment is no separator
};

TEST(GalleryPageTest, AwkwardNamesInLinksAndText) {
    for (const NameCase& c : kNames) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(GalleryUrl({c.name}), c.url);
        EXPECT_EQ(GalleryText(c.name), c.text);
    }
}

TEST(GalleryPageTest, PathSegmentsAreJoinedBySlashes) {
    EXPECT_EQ(GalleryUrl({"..", "00002", "index.html"}), "../00002/index.html");
    EXPECT_EQ(GalleryUrl({"Trip: Kyoto", "a b.jpg"}), "Trip%3A%20Kyoto/a%20b.jpg");
    EXPECT_EQ(GalleryUrl({}), "");
}

// What lies between the first `open` and the following `close`.
std::string Between(const std::string& page, const std::string& open, const std::string& close) {
    const std::size_t start = page.find(open);
    if (start == std::string::npos) return {};
    const std::size_t end = page.find(close, start + open.size());
    if (end == std::string::npos) return {};
    return page.substr(start + open.size(), end - start - open.size());
}

// RFC 4648 base64 back to bytes, as lower-case hex.
std::string Base64ToHex(const std::string& text) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string hex;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '=') break;
        bits = bits << 6 | uint32_t(alphabet.find(c));
        count += 6;
        if (count >= 8) {
            count -= 8;
            char pair[3];
            std::snprintf(pair, sizeof pair, "%02x", (bits >> count) & 0xFF);
            hex += pair;
        }
    }
    return hex;
}

// coreutils' digest of text, as lower-case hex.
std::string Sha256sum(const std::string& text) {
    test::TempDir dir;
    test::WriteFile(dir / "text", text);
    FILE* pipe = popen(("sha256sum '" + (dir / "text") + "'").c_str(), "r");
    char hex[65] = {};
    if (pipe) {
        if (std::fread(hex, 1, 64, pipe) != 64) hex[0] = '\0';
        pclose(pipe);
    }
    return hex;
}

GalleryDocument SampleDocument() {
    GalleryDocument document;
    document.lang = "en";
    document.title = "R&D <2024> caf\xe9";
    document.folderLine = "Folder Name: 00001";
    document.links = {{{"..", "00000", "index.html"}, "Prev"}, {{"..", "00002", "index.html"}, "Next"}};
    document.cellWidth = 200;
    document.maxColumns = 6;
    GalleryCell cell;
    cell.name = "a.jpg";
    cell.href = cell.src = {"a.jpg"};
    cell.width = 200;
    cell.height = 150;
    document.cells = {cell, cell};
    return document;
}

TEST(GalleryPageTest, DocumentSkeleton) {
    const std::string page = WriteGalleryPage(SampleDocument());
    EXPECT_EQ(page.rfind("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n", 0), 0u);
    EXPECT_NE(page.find("\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"),
              std::string::npos);
    EXPECT_EQ(Between(page, "<title>", "</title>"), "R&amp;D &lt;2024&gt; caf&#65533;");
    EXPECT_EQ(Between(page, "<h1>", "</h1>"), "R&amp;D &lt;2024&gt; caf&#65533;");
    EXPECT_EQ(Between(page, "<header>", "</header>"),
              "\n<h1>R&amp;D &lt;2024&gt; caf&#65533;</h1>\n<p>Folder Name: 00001</p>\n"
              "<nav><a href=\"../00000/index.html\">Prev</a><a href=\"../00002/index.html\">Next</a></nav>\n");
    EXPECT_EQ(page.find('\r'), std::string::npos);
    EXPECT_EQ(page.substr(page.size() - 16), "</body>\n</html>\n");
    // Nothing from elsewhere: no absolute URL of any scheme, no imports.
    EXPECT_EQ(page.find("://"), std::string::npos);
    EXPECT_EQ(page.find("@import"), std::string::npos);
    EXPECT_EQ(page.find("url("), std::string::npos);
}

// The policy names the page's only script and only style by their SHA-256,
// computed here by coreutils from the page's own text.
TEST(GalleryPageTest, ContentSecurityPolicyHashesMatchTheInlineScriptAndStyle) {
    const std::string page = WriteGalleryPage(SampleDocument());
    const std::string policy = Between(page, "<meta http-equiv=\"Content-Security-Policy\" content=\"", "\">");
    ASSERT_FALSE(policy.empty());
    EXPECT_NE(policy.find("default-src 'none'; img-src 'self'; media-src 'self'; "), std::string::npos);
    const std::string script = Between(page, "<script>", "</script>");
    const std::string style = Between(page, "<style>", "</style>");
    ASSERT_GT(script.size(), 1000u);
    ASSERT_GT(style.size(), 1000u);
    EXPECT_EQ(Base64ToHex(Between(policy, "script-src 'sha256-", "'")), Sha256sum(script));
    EXPECT_EQ(Base64ToHex(Between(policy, "style-src 'sha256-", "'")), Sha256sum(style));
    // One script and one style, both inline.
    EXPECT_EQ(page.find("<script", page.find("<script") + 1), std::string::npos);
    EXPECT_EQ(page.find("<style", page.find("<style") + 1), std::string::npos);
    EXPECT_EQ(page.find("<script src"), std::string::npos);
    EXPECT_EQ(page.find("<link"), std::string::npos);
}

TEST(GalleryPageTest, LanguageOfTheViewerButtons) {
    struct Case {
        const char* lang;
        const char* close;
        const char* previous;
        const char* next;
    } const cases[] = {
        {"ja", "閉じる", "前の画像", "次の画像"},
        {"en", "Close", "Previous image", "Next image"},
    };
    for (const Case& c : cases) {
        GalleryDocument document = SampleDocument();
        document.lang = c.lang;
        const std::string page = WriteGalleryPage(document);
        EXPECT_EQ(Between(page, "<html lang=\"", "\""), c.lang);
        EXPECT_NE(page.find(std::string("id=\"vx\" aria-label=\"") + c.close + "\""), std::string::npos) << c.lang;
        EXPECT_NE(page.find(std::string("id=\"vp\" class=\"nav\" aria-label=\"") + c.previous + "\""),
                  std::string::npos);
        EXPECT_NE(page.find(std::string("id=\"vq\" class=\"nav\" aria-label=\"") + c.next + "\""), std::string::npos);
    }
}

// Cells as the page writes them, one line each.
TEST(GalleryPageTest, CellMarkup) {
    GalleryCell plain;
    plain.name = "R&D.jpg";
    plain.href = plain.src = {"R&D.jpg"};
    plain.width = 200;
    plain.height = 150;
    plain.info = {"(1)", "JFIF", "640x480", "1,234Byte"};

    GalleryCell reduced = plain;  // a list of reduced copies: the link goes to the folder's image
    reduced.href = {"00001", "R&D.jpg"};
    reduced.info.clear();

    GalleryCell shownAsCopy = plain;  // a format browsers cannot show: the viewer shows its copy
    shownAsCopy.name = "IMG_1.HEIC";
    shownAsCopy.href = {"IMG_1.HEIC"};
    shownAsCopy.src = shownAsCopy.view = {"..", "IMG_1.HEIC"};
    shownAsCopy.info = {"(3)"};

    GalleryCell video;
    video.name = "clip <1>.mp4";
    video.href = {"clip <1>.mp4"};
    video.src = {"clip <1>.mp4.jpg"};
    video.width = 200;
    video.height = 113;
    video.video = true;
    video.duration = "0:42";
    video.info = {"(4)"};

    GalleryCell live = plain;
    live.name = "IMG_2.JPG";
    live.href = live.src = {"IMG_2.JPG"};
    live.info = {"(5)"};
    live.live = {"IMG_2.MOV"};

    GalleryDocument document = SampleDocument();
    document.maxColumns = 2;
    document.cells = {plain, reduced, shownAsCopy, video, live};
    const std::string cells = Between(WriteGalleryPage(document), "<ul id=\"g\">\n", "</ul>");
    EXPECT_EQ(cells,
              "<li id=\"1\"><a href=\"R%26D.jpg\"><img src=\"R%26D.jpg\" alt=\"R&amp;D.jpg\" width=\"200\" "
              "height=\"150\" decoding=\"async\"></a><p><span>(1)</span><span>JFIF</span><span>640x480</span>"
              "<span>1,234Byte</span></p></li>\n"
              "<li id=\"2\"><a href=\"00001/R%26D.jpg\"><img src=\"R%26D.jpg\" alt=\"R&amp;D.jpg\" width=\"200\" "
              "height=\"150\" decoding=\"async\"></a></li>\n"
              "<li id=\"3\"><a href=\"IMG_1.HEIC\" data-view=\"../IMG_1.HEIC\"><img src=\"../IMG_1.HEIC\" "
              "alt=\"IMG_1.HEIC\" width=\"200\" height=\"150\" loading=\"lazy\" decoding=\"async\"></a>"
              "<p><span>(3)</span></p></li>\n"
              "<li id=\"4\" class=\"v\"><a href=\"clip%20%3C1%3E.mp4\"><img src=\"clip%20%3C1%3E.mp4.jpg\" "
              "alt=\"clip &lt;1&gt;.mp4\" width=\"200\" height=\"113\" loading=\"lazy\" decoding=\"async\">"
              "<span class=\"d\">0:42</span></a><p><span>(4)</span></p></li>\n"
              "<li id=\"5\"><a href=\"IMG_2.JPG\"><img src=\"IMG_2.JPG\" alt=\"IMG_2.JPG\" width=\"200\" "
              "height=\"150\" loading=\"lazy\" decoding=\"async\"></a><p><span>(5)</span>"
              "<a href=\"IMG_2.MOV\">Live</a></p></li>\n");
}

// The first row (maxColumns cells) loads at once, the rest lazily.
TEST(GalleryPageTest, FirstRowEagerRestLazy) {
    struct Case {
        int32_t maxColumns;
        int cells;
        int eager;
    } const cases[] = {{6, 10, 6}, {6, 4, 4}, {1, 3, 1}, {2, 2, 2}, {0, 3, 1}, {-4, 3, 1}};
    for (const Case& c : cases) {
        GalleryDocument document = SampleDocument();
        document.maxColumns = c.maxColumns;
        document.cells.assign(std::size_t(c.cells), document.cells[0]);
        const std::string page = WriteGalleryPage(document);
        int images = 0, lazy = 0, lastEager = 0;
        for (std::size_t at = page.find("<li id="); at != std::string::npos; at = page.find("<li id=", at + 1)) {
            const std::string cell = page.substr(at, page.find("</li>", at) - at);
            images++;
            if (cell.find(" loading=\"lazy\"") != std::string::npos) {
                lazy++;
            } else {
                lastEager = images;
            }
        }
        SCOPED_TRACE(testing::Message() << c.maxColumns << " columns, " << c.cells << " cells");
        EXPECT_EQ(images, c.cells);
        EXPECT_EQ(images - lazy, c.eager);
        EXPECT_EQ(lastEager, c.eager);  // the eager ones are the first
    }
}

// A 10,000-image page stays small: at most 400 bytes of HTML per typical
// cell (8-letter name, number, size line), at most 16 KiB for the rest.
TEST(GalleryPageTest, BytesPerCell) {
    GalleryDocument document = SampleDocument();
    document.cells.clear();
    const std::size_t fixed = WriteGalleryPage(document).size();
    EXPECT_LE(fixed, 16384u);
    for (int i = 1; i <= 10000; ++i) {
        GalleryCell cell;
        char name[16];
        std::snprintf(name, sizeof name, "P%07d.JPG", i);
        cell.name = name;
        cell.href = {"00001", name};
        cell.src = {name};
        cell.width = 200;
        cell.height = 150;
        cell.info = {"(" + std::to_string(i) + ")", "4000x3000", "3,145,728Byte"};
        document.cells.push_back(cell);
    }
    const std::size_t perCell = (WriteGalleryPage(document).size() - fixed) / document.cells.size();
    EXPECT_LE(perCell, 400u);
    RecordProperty("fixed_bytes", int(fixed));
    RecordProperty("bytes_per_cell", int(perCell));
}

}  // namespace
}  // namespace htmlimglist
