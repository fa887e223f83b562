#include "platform/Path.h"

#include <gtest/gtest.h>

#include "platform/Text.h"

namespace htmlimglist {
namespace {

TEST(PathTest, PiecesOfAbsolutePaths) {
    EXPECT_EQ(CutAtLastSeparator("/pics/00012"), "/pics");
    EXPECT_EQ(CutAtLastSeparator("/pics"), "");
    EXPECT_EQ(CutAtLastSeparator("/"), "");
    EXPECT_EQ(CutAtLastSeparator("relative"), "relative");
    EXPECT_EQ(NameAfterLastSeparator("/pics/00012"), "00012");
    EXPECT_EQ(NameAfterLastSeparator("/"), "");
    EXPECT_EQ(NameAfterLastSeparator("plain"), "");
    EXPECT_EQ(JoinPath("/pics", "a.jpg"), "/pics/a.jpg");
    EXPECT_EQ(JoinPath("/", "a.jpg"), "/a.jpg");
    EXPECT_EQ(JoinPath("", "a.jpg"), "/a.jpg");
    EXPECT_EQ(PathDepth("/"), 1);
    EXPECT_EQ(PathDepth("/a/00001"), 2);
    EXPECT_EQ(AbsolutePath("/a//b/./c/../d/"), "/a/b/d");
    EXPECT_EQ(AbsolutePath("/.."), "/");
    EXPECT_EQ(AbsolutePath("x").front(), '/');
}

TEST(PathTest, TextHelpers) {
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1,000");
    EXPECT_EQ(FormatThousands(1234567), "1,234,567");
    EXPECT_EQ(FormatThousands(5000000000), "5,000,000,000");  // files over 4 GB keep their size
    EXPECT_EQ(FormatThousands(-1234), "-1,234");
    for (const auto& [ms, text] : {std::pair{0, "0:00"}, {42999, "0:42"}, {3599000, "59:59"}, {3600000, "1:00:00"},
                                   {3725000, "1:02:05"}}) {
        EXPECT_EQ(FormatDuration(ms), text) << ms;
    }
    EXPECT_EQ(LeadingNumber("00012"), 12);
    EXPECT_EQ(LeadingNumber("photos"), 0);
    EXPECT_EQ(LeadingNumber("  -7x"), -7);
    EXPECT_EQ(LeadingNumber("+5"), 5);
    EXPECT_EQ(LeadingNumber("99999999999"), 2147483647);
    EXPECT_EQ(LowerAscii("ABC\xC3\x84xyz"), "abc\xC3\x84xyz");
}

}  // namespace
}  // namespace htmlimglist
