#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string Read(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view def = "<default>") {
    return ReadPrivateProfileString(section, key, def, kProfileBufferSize, path);
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
