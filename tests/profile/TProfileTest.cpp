#include "profile/TProfile.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class TProfileTest : public ::testing::Test {
protected:
    TProfileTest() {
        profile.SetFileName(file);
        profile.SetSection("Parameters");
    }
    TempDir dir;
    const std::string file = dir / "tool.INI";
    TProfile profile;
};

TEST_F(TProfileTest, ReadsEntriesAsNumberAndTruthValue) {
    struct Case {
        const char* stored;
        int32_t value;
        bool state;
    } cases[] = {
        {"True", 1, true},  {"yes", 1, true},     {"1", 1, true},       {"-5", -5, false},
        {"+7", 7, false},   {"12abc", 0, false},  {"1.5", 0, false},    {"$1F", 31, false},
        {"x1f", 31, false}, {"0X1F", 31, false},  {"-$1F", -31, false}, {"$FFFFFFFF", -1, false},
        {"-2147483648", INT32_MIN, false},        {"2147483648", 0, false},
        {"$100000000", 0, false},                 {"01", 1, false},     {"on", 0, false},
        {"$", 0, false},    {"0x", 0, false},     {"", 0, false},       {"- 5", 0, false},
    };
    for (const Case& c : cases) {
        WriteFile(file, std::string("[Parameters]\r\nE=") + c.stored + "\r\n");
        profile.SetEntry("E");
        EXPECT_EQ(profile.GetValue(), c.value) << c.stored;
        EXPECT_EQ(profile.GetState(), c.state) << c.stored;
    }
    EXPECT_EQ(ParseProfileInteger(" \t-5"), -5);  // blanks only before the number
    EXPECT_EQ(ParseProfileInteger("5 "), std::nullopt);
}

TEST_F(TProfileTest, WritesAndReadsBack) {
    profile.SetEntry("Flag");
    ASSERT_TRUE(profile.SetState(true));
    EXPECT_EQ(profile.GetValue(), 1);
    profile.SetEntry("Number");
    ASSERT_TRUE(profile.SetValue(0));
    EXPECT_FALSE(profile.GetState());
    ASSERT_TRUE(profile.SetValue(INT32_MIN));
    EXPECT_EQ(profile.GetValue(), INT32_MIN);
    EXPECT_EQ(ReadFile(file), "[Parameters]\r\nFlag=True\r\nNumber=-2147483648\r\n");

    // The default applies to what is absent and stays set for later reads.
    profile.SetDefaultText("200");
    profile.SetEntry("Missing");
    EXPECT_EQ(profile.GetValue(), 200);
    profile.SetSection("Elsewhere");
    profile.SetEntry("Flag");
    EXPECT_EQ(profile.GetText(), "200");
}

TEST_F(TProfileTest, EmptyNamesNeitherReadNorWrite) {
    struct Case {
        const char *section, *entry;
        bool withFile;
    } cases[] = {{"Parameters", "", true}, {"", "E", true}, {"Parameters", "E", false}};
    for (const Case& c : cases) {
        TProfile p;
        p.SetDefaultText("default");
        p.SetSection(c.section);
        p.SetEntry(c.entry);
        p.SetFileName(c.withFile ? file : "");
        EXPECT_EQ(p.GetText(), "");
        EXPECT_EQ(p.GetValue(), 0);
        EXPECT_FALSE(p.SetText("x"));
        EXPECT_FALSE(FileExists(file));
    }
}

TEST_F(TProfileTest, TextsHoldAtMost255BytesButTheFileNameIsNeverCut) {
    EXPECT_EQ(TProfile().FileName(), "WIN.INI");
    profile.SetEntry("Name");
    profile.SetText(std::string(300, 'a'));
    EXPECT_EQ(profile.GetText(), std::string(255, 'a'));

    const std::string longName = dir.Make(std::string(200, 'f')) + "/" + std::string(100, 'g');
    profile.SetFileName(longName);
    EXPECT_EQ(profile.FileName(), longName);
    EXPECT_TRUE(profile.SetValue(3));
    EXPECT_TRUE(FileExists(longName));
}

}  // namespace
}  // namespace htmlimglist
