#include "listgen/copies/CopyRecord.h"

#include <gtest/gtest.h>

namespace htmlimglist {
namespace {

CopyRecord Sample() {
    CopyRecord r;
    r.folder = "00001";
    r.source = "IMG_0001.jpg";
    r.sourceSize = 3145728;
    r.sourceMtimeNs = 1700000000123456789;
    r.width = 200;
    r.height = 150;
    r.autoRotate = true;
    return r;
}

TEST(CopyRecordTest, WrittenAndReadBack) {
    const std::string text = FormatCopyRecord(Sample());
    EXPECT_EQ(text,
              "htmlimglist 2 dir=00001 src=IMG_0001.jpg size=3145728 mtime=1700000000123456789 fit=200x150 "
              "AutoRotate=1 SmoothReduce=0");
    EXPECT_EQ(ParseCopyRecord(text), Sample());
    EXPECT_EQ(RecordedFolder(text), "00001");
    // A record of the first version names no folder.
    EXPECT_FALSE(RecordedFolder("htmlimglist 1 src=IMG_0001.jpg size=3145728 mtime=1700000000123456789 "
                                "fit=200x150 AutoRotate=1 SmoothReduce=0"));

    // A copy that carries its source's colour profile says so at the end.
    CopyRecord withProfile = Sample();
    withProfile.colourProfile = true;
    EXPECT_EQ(FormatCopyRecord(withProfile), text + " ICC=1");
    EXPECT_EQ(ParseCopyRecord(text + " ICC=1"), withProfile);

    // Anything but the exact form is no record of ours.
    const std::string broken[] = {
        "",
        "htmlimglist 3 dir=00001 src=IMG_0001.jpg size=3145728 mtime=1700000000123456789 fit=200x150 AutoRotate=1 SmoothReduce=0",
        "htmlimglist 2 src=IMG_0001.jpg size=3145728 mtime=1700000000123456789 fit=200x150 AutoRotate=1 SmoothReduce=0",
        "htmlimglist 2 dir=00001 src=IMG_0001.jpg size=03145728 mtime=1700000000123456789 fit=200x150 AutoRotate=1 SmoothReduce=0",
        "htmlimglist 2 dir=00001 src=IMG_0001.jpg size=-1 mtime=1700000000123456789 fit=200x150 AutoRotate=1 SmoothReduce=0",
        "htmlimglist 2 dir=00001 src=IMG_0001.jpg size=3145728 mtime=1700000000123456789 fit=200*150 AutoRotate=1 SmoothReduce=0",
        "htmlimglist 2 dir=00001 src=IMG_0001.jpg size=3145728 mtime=1700000000123456789 fit=200x150 AutoRotate=2 SmoothReduce=0",
        "htmlimglist 2 dir=00001 src=IMG_0001.jpg size=3145728 mtime=1700000000123456789 fit=200x150 AutoRotate=1",
        "htmlimglist 2 dir=00001 src=IMG_0001.jpg  size=3145728 mtime=1700000000123456789 fit=200x150 AutoRotate=1 SmoothReduce=0",
        "htmlimglist 2 dir=00001 size=3145728 src=IMG_0001.jpg mtime=1700000000123456789 fit=200x150 AutoRotate=1 SmoothReduce=0",
        "htmlimglist 2 dir=00001 src=IMG_0001.jpg size=99999999999999999999 mtime=1 fit=200x150 AutoRotate=1 SmoothReduce=0",
        "htmlimglist 2 dir=00001 src=IMG_0001.jpg size=1 mtime=1 fit=200x9999999999 AutoRotate=1 SmoothReduce=0",
        "htmlimglist 2 dir=00001 src=IMG_0001.jpg size=1 mtime=1 fit=200x150 AutoRotate=1 SmoothReduce=0 ICC=0",
        "htmlimglist 2 dir=00001 src=IMG_0001.jpg size=1 mtime=1 fit=200x150 AutoRotate=1 SmoothReduce=0 ICC=1 ICC=1",
        "htmlimglist 2 dir=00001 src=IMG_0001.jpg size=1 mtime=1 fit=200x150 AutoRotate=1 ICC=1 SmoothReduce=0",
    };
    for (const std::string& text : broken) EXPECT_FALSE(ParseCopyRecord(text).has_value()) << text;
}

TEST(CopyRecordTest, NamesAreEncodedAndLongOnesKeepTheRecordShort) {
    EXPECT_EQ(EncodeRecordName("a b%c.jpg"), "a%20b%25c.jpg");
    EXPECT_EQ(EncodeRecordName("写.jpg"), "%E5%86%99.jpg");
    EXPECT_EQ(EncodeRecordName(std::string("x\n\x7F", 3)), "x%0A%7F");

    const std::string longest(255, '\xE5');  // the longest name, every byte encoded
    const std::string encoded = EncodeRecordName(longest);
    EXPECT_LE(encoded.size(), 100u);
    EXPECT_NE(encoded, EncodeRecordName(std::string(254, '\xE5') + "x"));  // the hash tells them apart
    EXPECT_EQ(encoded.find('~'), encoded.size() - 17);
    CopyRecord r = Sample();
    r.folder = encoded;
    r.source = encoded;
    r.sourceSize = r.sourceMtimeNs = INT64_MAX;
    r.width = r.height = INT32_MAX;
    const std::string text = FormatCopyRecord(r);
    EXPECT_LT(text.size(), kMaxCopyRecordBytes);
    EXPECT_EQ(ParseCopyRecord(text), r);
}

TEST(CopyRecordTest, FoundOnlyRightAfterTheJfifSegment) {
    const std::string app0 = std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    const std::string text = FormatCopyRecord(Sample());
    auto com = [](const std::string& body) {
        return std::string("\xFF\xFE") + char((body.size() + 2) >> 8) + char((body.size() + 2) & 0xFF) + body;
    };
    const std::string soi = "\xFF\xD8";
    EXPECT_EQ(FindCopyRecordText(soi + app0 + com(text) + "\xFF\xDB"), text);
    EXPECT_FALSE(FindCopyRecordText(soi + app0 + com("a comment of someone else")));
    EXPECT_FALSE(FindCopyRecordText(soi + com(text)));                        // no APP0 first
    EXPECT_FALSE(FindCopyRecordText(soi + app0 + app0 + com(text)));          // not right after it
    EXPECT_FALSE(FindCopyRecordText((soi + app0 + com(text)).substr(0, 40)));  // cut short
    EXPECT_FALSE(FindCopyRecordText(soi + std::string("\xFF\xE0\x00\x01", 4) + com(text)));
}

}  // namespace
}  // namespace htmlimglist
