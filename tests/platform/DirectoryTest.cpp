#include "platform/Directory.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace htmlimglist {
namespace {

TEST(DirectoryTest, ListsFilesAndOptionallyFoldersInNameOrder) {
    test::TempDir dir;
    test::WriteFile(dir / "b.txt", "12345");
    test::WriteFile(dir / "A.txt", "");
    test::WriteFile(dir / ".hidden", "");
    dir.Make("Sub");
    std::vector<DirEntry> entries;
    ASSERT_TRUE(ListFolder(dir.path(), FolderEntries::FilesOnly, entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "A.txt");
    EXPECT_EQ(entries[1].name, "b.txt");
    EXPECT_EQ(entries[1].size, 5);
    ASSERT_TRUE(ListFolder(dir.path(), FolderEntries::FilesAndFolders, entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].kind, EntryKind::Folder);
    EXPECT_FALSE(ListFolder(dir / "missing", FolderEntries::FilesOnly, entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(KindOfPath(dir / "Sub"), PathKind::Folder);
    EXPECT_EQ(KindOfPath(dir / "b.txt"), PathKind::File);
    EXPECT_EQ(KindOfPath(dir / "none"), PathKind::Missing);
}

TEST(DirectoryTest, NameOrder) {
    EXPECT_LT(CompareNames("A.jpg", "a.jpg"), 0);  // same letters: raw bytes decide
    EXPECT_LT(CompareNames("a.jpg", "B.jpg"), 0);
    EXPECT_LT(CompareNames("Z", "_"), 0);  // letters fold to capitals
    EXPECT_LT(CompareNames("ab", "abc"), 0);
    EXPECT_EQ(CompareNames("same", "same"), 0);
}

}  // namespace
}  // namespace htmlimglist
