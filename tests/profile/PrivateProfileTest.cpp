#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "support/Isolation.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Reads one entry both ways, the one-entry read and a snapshot of the file,
// which must agree on every file the tests write.
std::string Read(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view def = "<default>") {
    std::string one = ReadPrivateProfileString(section, key, def, kProfileBufferSize, path);
    EXPECT_EQ(ProfileSnapshot(path).Read(section, key, def, kProfileBufferSize), one)
        << "[" << section << "] " << key;
    return one;
}

TEST(PrivateProfile, ReadsEntriesAsUsersWriteThem) {
    TempDir dir;
    const std::string file = dir / "a.INI";
    WriteFile(file, "top=outside any section\r\n[Other]\r\nMaxPixel=999\r\n  [ parameters ]  \r\n"
                    "  MAXPIXEL   =   300  \r\nQuoted=\"  in dex  \"\r\nOneQuote=\"open\r\nEmpty=\r\n"
                    "NoEquals\r\nDup=first\r\nDup=second\nLf=yes\nLong=" + std::string(300, 'n') +
                    "\nZero=ab" + std::string(1, '\0') + "cd");
    struct Case {
        std::string_view section, key;
        std::string expected;
    } cases[] = {
        {"Parameters", "MaxPixel", "300"},  // case and blanks ignored
        {"other", "maxPixel", "999"},
        {"Parameters", "Quoted", "  in dex  "},  // quotes removed, blanks inside kept
        {"Parameters", "OneQuote", "\"open"},
        {"Parameters", "Empty", ""},  // present but empty: not the default
        {"Parameters", "NoEquals", "<default>"},
        {"Parameters", "Dup", "first"},
        {"Parameters", "Lf", "yes"},
        {"Parameters", "Long", std::string(255, 'n')},
        {"Parameters", "Zero", "ab"},
        {"Parameters", "Missing", "<default>"},
        {"Nowhere", "MaxPixel", "<default>"},
        {"Parameters", "top", "<default>"},
    };
    for (const Case& c : cases) EXPECT_EQ(Read(file, c.section, c.key), c.expected) << c.key;
    EXPECT_EQ(Read(file, "S", "K", std::string(300, 'd')), std::string(255, 'd'));
}

TEST(PrivateProfile, FirstMatchingSectionAndKeyWinInEveryLayout) {
    TempDir dir;
    const std::string file = dir / "layout.INI";
    struct Case {
        std::string content;
        std::string_view section, key;
        std::string expected;
    } cases[] = {
        {"[S]\nK=first\n[S]\nK=second\n", "S", "K", "first"},
        {"[S]\nA=1\n[T]\nK=t\n[s]\nK=later\n", "S", "K", "later"},  // the section's second header
        {"K=top\n[S]\nA=1\n", "S", "K", "<default>"},  // before any section
        {"[S]\nk=lower\nK=upper\n", "s", "K", "lower"},
        {"[S\nK=open\n", "S", "K", "open"},  // header without "]"
        {"  [ S ] trailing\nK=v\n", "S", "K", "v"},
        {"[S]\n=no key\n", "S", "", "no key"},
        {"[S]\n  ; K=comment\nK=v", "S", "K", "v"},  // last line without its end
        {"[S]\r\nK=v\r", "S", "K", "v"},
        {"[S]\nK\t=\ta=b\t\n", "S", "K", "a=b"},
        {"[S]\nK=\"\"\n", "S", "K", ""},
        {"[S]\nK=\"a\"b\"\n", "S", "K", "a\"b"},
        {"[\xC3\x89]\nK=v\n", "\xC3\xA9", "K", "<default>"},  // only ASCII letters fold
        {"[S]\nKey=v\n", "S", "Ke", "<default>"},
        {"[S]\n[T]\nK=t\n", " S ", " K ", "<default>"},
        {"", "S", "K", "<default>"},
    };
    for (const Case& c : cases) {
        WriteFile(file, c.content);
        EXPECT_EQ(Read(file, c.section, c.key), c.expected) << c.content;
    }
}

TEST(PrivateProfile, SnapshotSaysWhyAFileWasNotRead) {
    TempDir dir;
    const std::string fifo = dir / "fifo.INI", locked = dir / "locked.INI";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    WriteFile(dir / "good.INI", "[S]\r\nK=v\r\n");
    WriteFile(locked, "[S]\r\nK=v\r\n");
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    struct Case {
        std::string path;
        ProfileFileStatus status;
        std::string reason;
    } cases[] = {
        {dir / "good.INI", ProfileFileStatus::Loaded, ""},
        {dir / "absent.INI", ProfileFileStatus::Missing, "No such file or directory"},
        {dir / "no/folder.INI", ProfileFileStatus::Missing, "No such file or directory"},
        {dir.Make("folder.INI"), ProfileFileStatus::Unreadable, "Is a directory"},
        {fifo, ProfileFileStatus::Unreadable, "not a regular file"},
        {"/dev/null", ProfileFileStatus::Unreadable, "not a regular file"},
        {std::string(PATH_MAX + 10, 'x'), ProfileFileStatus::Unreadable, "File name too long"},
        {std::string("a\0b", 3), ProfileFileStatus::Unreadable, "Invalid argument"},
    };
    for (const Case& c : cases) {
        ProfileSnapshot snapshot(c.path);
        EXPECT_EQ(snapshot.Status(), c.status) << c.path.substr(0, 80);
        EXPECT_EQ(snapshot.Reason(), c.reason) << c.path.substr(0, 80);
        EXPECT_EQ(snapshot.Read("S", "K", "d", kProfileBufferSize), c.status == ProfileFileStatus::Loaded ? "v" : "d");
    }
    // Root reads any file; the permission bits hold once its privileges are gone.
    EXPECT_EQ(test::WithoutPrivileges([&] {
                  ProfileSnapshot snapshot(locked);
                  return snapshot.Status() == ProfileFileStatus::Unreadable && snapshot.Reason() == "Permission denied" &&
                                 snapshot.Read("S", "K", "d", kProfileBufferSize) == "d"
                             ? 0
                             : 1;
              }),
              0);
}

TEST(PrivateProfile, FilesOverOneMebibyteAreNeitherReadNorWritten) {
    TempDir dir;
    const std::string file = dir / "big.INI";
    const std::string head = "[S]\r\nK=old\r\n";
    const std::string atLimit = head + std::string(kMaxProfileFileBytes - head.size(), '\n');
    WriteFile(file, atLimit);
    EXPECT_EQ(ProfileSnapshot(file).Status(), ProfileFileStatus::Loaded);
    EXPECT_EQ(Read(file, "S", "K"), "old");
    EXPECT_TRUE(WritePrivateProfileString("S", "K", "new", file));  // the same size
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "newer", file));  // would grow past the bound
    EXPECT_FALSE(WritePrivateProfileString("S", "Added", "1", file));
    EXPECT_EQ(ReadFile(file).size(), kMaxProfileFileBytes);

    const std::string over = head + std::string(kMaxProfileFileBytes + 1 - head.size(), '\n');
    WriteFile(file, over);
    ProfileSnapshot snapshot(file);
    EXPECT_EQ(snapshot.Status(), ProfileFileStatus::TooLarge);
    EXPECT_EQ(snapshot.Reason(), "larger than 1 MiB (1048577 bytes)");
    EXPECT_EQ(Read(file, "S", "K"), "<default>");
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "new", file));
    EXPECT_EQ(ReadFile(file), over);
}

TEST(PrivateProfile, NeverOpensWhatIsNotARegularFile) {
    TempDir dir;
    const std::string fifo = dir / "fifo.INI";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Read(dir / "absent.INI", "S", "K"), "<default>");
    for (const std::string& path : {fifo, dir.Make("folder.INI"), std::string(PATH_MAX + 10, 'x'),
                                    std::string(), std::string("a\0b", 3), dir / "no/folder.INI"}) {
        EXPECT_EQ(Read(path, "S", "K"), "<default>") << path.substr(0, 80);
        EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", path)) << path.substr(0, 80);
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.INI"));
}

TEST(PrivateProfile, WriteKeepsEveryOtherLineByteForByte) {
    TempDir dir;
    const std::string file = dir / "keep.INI";
    std::string expected = "; settings\r\n[other]\nMaxPixel = 1\r\n\r\n[parameters]\r\n"
                           "  maxpixel =  300 ; old\r\n\tno equals\r\nLast=\"x\"\r\n\r\n"
                           "; about Third\r\n[Third]\r\nK=v";
    WriteFile(file, expected);

    ASSERT_TRUE(WritePrivateProfileString("Parameters", "MaxPixel", "640", file));
    expected.replace(expected.find("300 ; old"), 9, "640");
    EXPECT_EQ(ReadFile(file), expected);
    // A new key goes after the section's last entry.
    ASSERT_TRUE(WritePrivateProfileString("PARAMETERS", "RunDir", "/pics/00005", file));
    expected.insert(expected.find("\r\n; about"), "RunDir=/pics/00005\r\n");
    EXPECT_EQ(ReadFile(file), expected);
    // A last line without its line end gets one first.
    ASSERT_TRUE(WritePrivateProfileString("Third", "New", "1", file));
    expected += "\r\nNew=1\r\n";
    EXPECT_EQ(ReadFile(file), expected);
    ASSERT_TRUE(WritePrivateProfileString("Fourth", "A", "b", file));
    EXPECT_EQ(ReadFile(file), expected + "[Fourth]\r\nA=b\r\n");
}

TEST(PrivateProfile, RefusesTextsThatWouldNotReadBackAsWritten) {
    TempDir dir;
    const std::string file = dir / "refuse.INI";
    WriteFile(file, "[S]\r\nK=old\r\n");
    struct Case {
        std::string_view section, key, value;
    } cases[] = {
        {"S", "K", "two\r\nInjected=1"}, {"S", "K", "lf\nx"}, {"S", "K", std::string_view("z\0z", 3)},
        {"S", "A=B", "v"}, {"S", "[K]", "v"}, {"S", ";K", "v"}, {"S]", "K", "v"}, {"", "K", "v"},
        {"S", "  ", "v"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(WritePrivateProfileString(c.section, c.key, c.value, file)) << c.key;
    }
    EXPECT_EQ(ReadFile(file), "[S]\r\nK=old\r\n");
}

TEST(PrivateProfile, WriteReplacesTheFileAtomicallyThroughASymlink) {
    TempDir dir;
    const std::string real = dir / "real.INI", link = dir / "link.INI";
    WriteFile(real, "[S]\r\nK=old\r\n");
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    struct stat before, after;
    ASSERT_EQ(stat(real.c_str(), &before), 0);

    ASSERT_TRUE(WritePrivateProfileString("S", "K", "new", link));
    ASSERT_EQ(stat(real.c_str(), &after), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_NE(after.st_ino, before.st_ino);  // a new file renamed into place
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadFile(real), "[S]\r\nK=new\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

    ASSERT_EQ(symlink((dir / "nowhere").c_str(), (dir / "dangling.INI").c_str()), 0);
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", dir / "dangling.INI"));
}

TEST(PrivateProfile, BytesThatAreNotTextStayAsTheyAre) {
    TempDir dir;
    const std::string file = dir / "binary.INI";
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += char((i * 151 + 7) & 0xFF);
    WriteFile(file, noise + "\n[S]\nK=v\n" + noise);
    EXPECT_EQ(Read(file, "S", "K"), "v");
    EXPECT_TRUE(WritePrivateProfileString("S", "K", "w", file));
    EXPECT_EQ(ReadFile(file), noise + "\n[S]\nK=w\n" + noise);
}

}  // namespace
}  // namespace htmlimglist
