#include "listgen/LineListStr.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace htmlimglist {
namespace {

TEST(LineListTest, InsertsBeforeAnchorsThatNeverMove) {
    TLineListStr list;
    LineEntry* a = list.AppendLine("a");
    LineEntry* c = list.AppendLine("c", a);
    EXPECT_EQ(list.InsertLine(c, "b")->text, "b");
    LineEntry* first = list.InsertLine(a, "0");
    EXPECT_EQ(list.First(), first);
    EXPECT_EQ(list.InsertLine(nullptr, "x"), nullptr);
    // the anchors still point at their own lines
    EXPECT_EQ(a->text, "a");
    EXPECT_EQ(c->text, "c");
    EXPECT_EQ(c->prev->text, "b");
    EXPECT_EQ(list.Text(), "0\r\na\r\nb\r\nc\r\n");
    list.ClearLines();
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_EQ(list.Text(), "");
}

TEST(LineListTest, SavesCrLfLinesWithoutBomOrTrailingBytes) {
    test::TempDir dir;
    TLineListStr list;
    list.AppendLine("\x82\xA0");  // a Shift_JIS character stays as its bytes
    list.AppendLine("");
    ASSERT_TRUE(list.SaveLines(dir / "page.html"));
    EXPECT_EQ(test::ReadFile(dir / "page.html"), "\x82\xA0\r\n\r\n");
    EXPECT_FALSE(list.SaveLines(dir / "missing-folder/page.html"));
}

}  // namespace
}  // namespace htmlimglist
