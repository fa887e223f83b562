#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <filesystem>
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

TEST(AtomicFileTest, ReplacesWholeAndKeepsPermissions) {
    test::TempDir dir;
    std::string path = dir / "page.html";
    ASSERT_TRUE(WriteFileAtomically(path, "first"));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "second", Durability::NoFlush));
    EXPECT_EQ(test::ReadFile(path), "second");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // no temporary file is left behind, hidden ones included
    auto count = std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator());
    EXPECT_EQ(count, 1);
}

TEST(AtomicFileTest, FailureLeavesWhatStoodThere) {
    test::TempDir dir;
    dir.Make("page.html");  // a folder where the page should go
    EXPECT_FALSE(WriteFileAtomically(dir / "page.html", "x"));
    EXPECT_FALSE(WriteFileAtomically(dir / "missing/page.html", "x"));
    // something that is not a regular file is never replaced
    std::string path = dir / "keep.html";
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    if (access("/dev/full", W_OK) == 0) {
        ASSERT_EQ(unlink(path.c_str()), 0);
        ASSERT_EQ(symlink("/dev/full", path.c_str()), 0);
        EXPECT_FALSE(WriteFileAtomically(path, "new"));
        char target[64] = {};
        ASSERT_GT(readlink(path.c_str(), target, sizeof target - 1), 0);
        EXPECT_STREQ(target, "/dev/full");  // the link is left as it was
    }
}

}  // namespace
}  // namespace htmlimglist
