#include "platform/RegularFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "support/TempDir.h"

namespace htmlimglist {
namespace {

bool IsOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

TEST(RegularFileTest, OpensOnlyRegularFilesWithoutBlocking) {
    test::TempDir dir;
    test::WriteFile(dir / "a.jpg", "12345");
    ASSERT_EQ(symlink("a.jpg", (dir / "link.jpg").c_str()), 0);
    ASSERT_EQ(mkfifo((dir / "fifo.jpg").c_str(), 0600), 0);  // no writer: a blocking open would hang
    dir.Make("folder.jpg");

    for (const char* name : {"a.jpg", "link.jpg"}) {
        struct stat st {};
        UniqueFd fd = OpenRegularFile(dir / name, &st);
        ASSERT_TRUE(fd) << name;
        EXPECT_EQ(st.st_size, 5) << name;
        char byte = 0;
        EXPECT_EQ(pread(fd.get(), &byte, 1, 4), 1) << name;
        EXPECT_EQ(byte, '5') << name;
    }

    struct Refused {
        std::string path;
        int error;
    };
    const Refused refused[] = {
        {dir / "fifo.jpg", EINVAL},
        {dir / "folder.jpg", EINVAL},
        {"/dev/null", EINVAL},
        {dir / "missing.jpg", ENOENT},
    };
    for (const Refused& r : refused) {
        errno = 0;
        EXPECT_FALSE(OpenRegularFile(r.path)) << r.path;
        EXPECT_EQ(errno, r.error) << r.path;
    }
}

TEST(RegularFileTest, UniqueFdOwnsOneDescriptor) {
    test::TempDir dir;
    test::WriteFile(dir / "a", "x");
    UniqueFd first = OpenRegularFile(dir / "a");
    const int raw = first.get();
    UniqueFd second = std::move(first);  // moved, not closed
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), raw);
    EXPECT_TRUE(IsOpen(raw));
    second = OpenRegularFile(dir / "a");  // assignment closes the old one
    EXPECT_FALSE(IsOpen(raw));
    const int replaced = second.get();
    { UniqueFd scoped = std::move(second); }  // and so does going out of scope
    EXPECT_FALSE(IsOpen(replaced));

    UniqueFd kept = OpenRegularFile(dir / "a");
    const int released = kept.release();
    EXPECT_FALSE(kept);
    EXPECT_TRUE(IsOpen(released));
    close(released);
}

}  // namespace
}  // namespace htmlimglist
