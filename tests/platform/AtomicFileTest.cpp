#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "support/Isolation.h"
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


TEST(AtomicFileTest, TemporaryFileNames) {
    const std::string n200(200, 'n');
    const std::string tag = ".htmlimglist-";
    const std::string hex = "0123456789abcdef";
    struct Case {
        std::string name;
        bool ours;
    };
    const Case cases[] = {
        {".index.html" + tag + hex + ".tmp", true},
        {".a" + tag + "ffffffffffffffff.tmp", true},
        {"." + n200 + tag + hex + ".tmp", true},
        {".00001.1.2" + tag + hex + ".tmp", true},       // digits and dots in the name part
        {".x" + tag + hex + tag + hex + ".tmp", true},   // the tag in the name part
        // A user's files that only look like temporary files are never ours.
        {".backup.2024.12.01.tmp", false},
        {".notes.1.2.3.tmp", false},
        {".index.html.1234.0.56789.tmp", false},         // what earlier versions wrote: no mark
        {".a.htmlimglist.1.2.3.tmp", false},
        // The mark, but not in our form.
        {"index.html" + tag + hex + ".tmp", false},      // no leading dot
        {"." + n200 + "n" + tag + hex + ".tmp", false},  // 201-byte name part
        {"." + tag + hex + ".tmp", false},               // empty name part
        {".a" + tag + hex.substr(1) + ".tmp", false},    // 15 digits
        {".a" + tag + hex + "0.tmp", false},             // 17 digits
        {".a" + tag + "0123456789ABCDEF.tmp", false},    // upper case
        {".a" + tag + "0123456789abcdeg.tmp", false},
        {".a.HTMLIMGLIST-" + hex + ".tmp", false},
        {".a" + tag + hex, false},
        {".a" + tag + hex + ".TMP", false},
        {".a" + tag + hex + ".tmp~", false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsTemporaryFileName(c.name), c.ours) << c.name;

    // Whatever the writer makes, the checker knows, whatever the target's name.
    for (const std::string& target :
         {std::string("index.html"), std::string("a"), std::string(250, 'x'), std::string(".hidden")}) {
        for (int i = 0; i < 100; ++i) {
            std::string name = TemporaryFileName(target);
            ASSERT_TRUE(IsTemporaryFileName(name)) << name;
        }
    }
    EXPECT_NE(TemporaryFileName("a"), TemporaryFileName("a"));
}

void Age(const std::string& path, std::chrono::seconds age, int flags = 0) {
    timespec times[2];
    times[0].tv_sec = times[1].tv_sec = time(nullptr) - age.count();
    times[0].tv_nsec = times[1].tv_nsec = 0;
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, flags), 0) << path;
}

TEST(AtomicFileTest, RemovesOnlyStaleTemporaryFiles) {
    using namespace std::chrono_literals;
    test::TempDir dir;
    const std::string ours = TemporaryFileName("page.html");
    const std::string stale = dir / ours;
    test::WriteFile(stale, "half a page");
    const std::string fresh = TemporaryFileName("page.html");
    test::WriteFile(dir / fresh, "still being written");
    test::WriteFile(dir / "page.html", "");
    // A user's files named like temporary files, and one in the form earlier
    // versions wrote: none of them carries our mark.
    const char* lookalikes[] = {".backup.2024.12.01.tmp", ".page.html.1.2.3.tmp"};
    for (const char* name : lookalikes) test::WriteFile(dir / name, "the user's");
    const std::string link = TemporaryFileName("link");
    ASSERT_EQ(symlink("page.html", (dir / link).c_str()), 0);
    const std::string folder = TemporaryFileName("folder");
    dir.Make(folder);
    dir.Make("sub");
    const std::string below = "sub/" + TemporaryFileName("page.html");
    test::WriteFile(dir / below, "");
    for (const std::string& name : {ours, std::string("page.html"), std::string(lookalikes[0]),
                                    std::string(lookalikes[1]), folder, below}) {
        Age(dir / name, 2h);
    }
    Age(dir / link, 2h, AT_SYMLINK_NOFOLLOW);

    EXPECT_EQ(RemoveStaleTemporaryFiles(dir.path(), 1h), 1);
    EXPECT_FALSE(test::FileExists(stale));
    for (const std::string& name : {fresh, std::string("page.html"), std::string(lookalikes[0]),
                                    std::string(lookalikes[1]), link, folder, below}) {
        EXPECT_TRUE(test::FileExists(dir / name)) << name;
    }
    for (const char* name : lookalikes) EXPECT_EQ(test::ReadFile(dir / name), "the user's") << name;
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir.path(), 1h), 0);

    // A folder that cannot be read, or is no folder, removes nothing.
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir / "missing", 0s), 0);
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir / "page.html", 0s), 0);
    const std::string locked = dir / "sub";
    ASSERT_EQ(chmod(locked.c_str(), 0300), 0);  // may be entered, not listed
    EXPECT_EQ(test::WithoutPrivileges([&] { return RemoveStaleTemporaryFiles(locked, 0s); }), 0);
    EXPECT_TRUE(test::FileExists(dir / below));
}

}  // namespace
}  // namespace htmlimglist
