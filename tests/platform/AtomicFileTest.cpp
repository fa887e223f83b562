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
    struct Case {
        std::string name;
        bool ours;
    };
    const Case cases[] = {
        {".index.html.1234.0.56789.tmp", true},
        {".a.1.0.0.tmp", true},
        {"." + n200 + ".1.2.3.tmp", true},
        {".00001.1.2.3.tmp", true},             // digits and dots in the name part
        {".notes.1.2.3.tmp", true},             // a user's file may look like ours
        {"index.html.1.2.3.tmp", false},        // no leading dot
        {"." + n200 + "n.1.2.3.tmp", false},    // 201-byte name part
        {"..1.2.3.tmp", false},                 // empty name part
        {".1.2.3.tmp", false},                  // one number short
        {".a.1x.2.3.tmp", false},
        {".a.1.2.3a.tmp", false},
        {".a.1.2.123456.tmp", false},           // random part of 6 digits
        {".a.-1.2.3.tmp", false},
        {".a.1.+2.3.tmp", false},
        {".a..2.3.tmp", false},
        {".a.1.2..tmp", false},
        {".a.1.2.\xd9\xa3.tmp", false},         // an Arabic-Indic digit
        {".a.1.2.3", false},
        {".a.1.2.3.TMP", false},
        {".a.1.2.3.tmp~", false},
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
    const std::string stale = dir / ".page.html.1.2.3.tmp";
    test::WriteFile(stale, "half a page");
    test::WriteFile(dir / ".page.html.1.2.4.tmp", "still being written");
    test::WriteFile(dir / "page.html", "");
    test::WriteFile(dir / ".page.html.1.2.tmp", "");  // not our pattern
    ASSERT_EQ(symlink("page.html", (dir / ".link.1.2.3.tmp").c_str()), 0);
    dir.Make(".folder.1.2.3.tmp");
    dir.Make("sub");
    test::WriteFile(dir / "sub/.page.html.1.2.3.tmp", "");
    for (const char* name : {".page.html.1.2.3.tmp", "page.html", ".page.html.1.2.tmp", ".folder.1.2.3.tmp",
                             "sub/.page.html.1.2.3.tmp"}) {
        Age(dir / name, 2h);
    }
    Age(dir / ".link.1.2.3.tmp", 2h, AT_SYMLINK_NOFOLLOW);

    EXPECT_EQ(RemoveStaleTemporaryFiles(dir.path(), 1h), 1);
    EXPECT_FALSE(test::FileExists(stale));
    for (const char* name : {".page.html.1.2.4.tmp", "page.html", ".page.html.1.2.tmp", ".link.1.2.3.tmp",
                             ".folder.1.2.3.tmp", "sub/.page.html.1.2.3.tmp"}) {
        EXPECT_TRUE(test::FileExists(dir / name)) << name;
    }
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir.path(), 1h), 0);

    // A folder that cannot be read, or is no folder, removes nothing.
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir / "missing", 0s), 0);
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir / "page.html", 0s), 0);
    const std::string locked = dir / "sub";
    ASSERT_EQ(chmod(locked.c_str(), 0300), 0);  // may be entered, not listed
    EXPECT_EQ(test::WithoutPrivileges([&] { return RemoveStaleTemporaryFiles(locked, 0s); }), 0);
    EXPECT_TRUE(test::FileExists(dir / "sub/.page.html.1.2.3.tmp"));
}

}  // namespace
}  // namespace htmlimglist
