#include "listgen/SettingsFile.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() {
        profile.SetFileName(file);
        profile.SetSection(kSettingsSection);
    }
    GenerationOptions Load() {
        // Start from values no default has, so every field must be read.
        GenerationOptions options{"stale", -9, -9, true, true, false, true, true, true,
                                  true,    true, false, -9, -9, true, true};
        LoadFromProfile(options, profile);
        return options;
    }
    TempDir dir;
    const std::string file = dir / "tool.INI";
    TProfile profile;
};

TEST_F(SettingsFileTest, NoFileGivesTheDefaults) { EXPECT_EQ(Load(), GenerationOptions()); }

TEST_F(SettingsFileTest, LoadSaysWhatItFoundAndRefusedFilesGiveTheDefaults) {
    const std::string entry = "[Parameters]\r\nMaxPixel=300\r\n";
    struct Case {
        std::string path;
        std::string content;  // written when not empty
        ProfileFileStatus status;
        int maxPixel;
    } cases[] = {
        {file, entry, ProfileFileStatus::Loaded, 300},
        {dir / "absent.INI", "", ProfileFileStatus::Missing, 200},
        {dir / "big.INI", entry + std::string(kMaxProfileFileBytes, '\n'), ProfileFileStatus::TooLarge, 200},
        {dir.Make("folder.INI"), "", ProfileFileStatus::Unreadable, 200},
    };
    for (const Case& c : cases) {
        if (!c.content.empty()) WriteFile(c.path, c.content);
        profile.SetFileName(c.path);
        GenerationOptions options;
        options.MaxPixel = -9;
        EXPECT_EQ(LoadFromProfile(options, profile).Status(), c.status) << c.path;
        EXPECT_EQ(options.MaxPixel, c.maxPixel) << c.path;
    }
}

TEST_F(SettingsFileTest, ConvertsEntriesTheWayTheProfileReadsThem) {
    struct Case {
        const char *line, *field, *expected;
    } cases[] = {
        {"MaxColumn=abc", "MaxColumn", "1"},    {"MaxColumn=yEs", "MaxColumn", "1"},
        {"MaxColumn=", "MaxColumn", "1"},       {"MaxPixel=$100", "MaxPixel", "256"},
        // Numbers are moved into their range.
        {"MaxPixel=0", "MaxPixel", "1"},        {"MaxPixel=65536", "MaxPixel", "65535"},
        {"MaxPixel=65535", "MaxPixel", "65535"}, {"SubImageMaxSize=-640", "SubImageMaxSize", "1"},
        {"MaxColumn=1001", "MaxColumn", "1000"}, {"SubImageColmn=0", "SubImageColmn", "1"},
        {"SubImageColmn=1000", "SubImageColmn", "1000"},
        {"ZoomImage=-1", "ZoomImage", "1"},     {"ZoomImage=True", "ZoomImage", "1"},
        {"DisplayImageSize=", "DisplayImageSize", "0"},
        {"HTMLListName=", "HTMLListName", ""},
        {"htmllistname = \"a b.html\"", "HTMLListName", "a b.html"},
    };
    for (const Case& c : cases) {
        WriteFile(file, std::string("[Parameters]\r\n") + c.line + "\r\n");
        EXPECT_EQ(OptionValueText(Load(), *FindOptionField(c.field)), c.expected) << c.line;
    }
}

TEST_F(SettingsFileTest, SavesEveryFieldInOrderAndKeepsOtherEntries) {
    WriteFile(file, "[Parameters]\r\nWindowLeft=10\r\nZoomImage=-1\r\n");
    GenerationOptions o = Load();
    ASSERT_TRUE(o.ZoomImage);
    o.HTMLListName = "list.html";
    o.MaxPixel = 65535;
    ASSERT_TRUE(SaveToProfile(o, profile));
    EXPECT_EQ(ReadFile(file),
              "[Parameters]\r\nWindowLeft=10\r\nZoomImage=1\r\nHTMLListName=list.html\r\n"
              "MaxPixel=65535\r\nMaxColumn=6\r\nMakeSmallImage=0\r\nNextPrevIndex=0\r\n"
              "DisplayImageSize=1\r\nDisplayFileSize=0\r\nContinueMaked=0\r\n"
              "ImageSurelyCreate=0\r\nImageInfo=0\r\nMakeSmallImageAndOrgImageList=1\r\n"
              "SubImageColmn=2\r\nSubImageMaxSize=640\r\nDisplayDateTime=0\r\nDisplayTime=0\r\n");
    EXPECT_EQ(Load(), o);

    profile.SetFileName(dir.Make("folder.INI"));
    EXPECT_FALSE(SaveToProfile(o, profile));
}

TEST_F(SettingsFileTest, OutOfRangeNumbersAreClampedAndReportedOnce) {
    struct Case {
        std::string entries;
        std::string reported;  // ClampedSettingsText, "; " between
    } cases[] = {
        {"MaxPixel=300\r\nMaxColumn=1000\r\nSubImageColmn=1\r\nSubImageMaxSize=65535\r\n", ""},
        {"MaxPixel=0\r\n", "MaxPixel=0 (1..65535): 1"},
        {"MaxPixel=70000\r\nMaxColumn=-2\r\nSubImageColmn=5000\r\nSubImageMaxSize=0\r\n",
         "MaxPixel=70000 (1..65535): 65535; MaxColumn=-2 (1..1000): 1; SubImageColmn=5000 (1..1000): 1000; "
         "SubImageMaxSize=0 (1..65535): 1"},
    };
    for (const Case& c : cases) {
        const std::string content = "[Parameters]\r\n" + c.entries;
        WriteFile(file, content);
        GenerationOptions options;
        std::vector<ClampedSetting> clamped;
        LoadFromProfile(options, profile, &clamped);
        EXPECT_EQ(ClampedSettingsText(clamped, "; "), c.reported);
        for (const ClampedSetting& moved : clamped) EXPECT_EQ(options.*moved.field->number, moved.used);
        EXPECT_EQ(ReadFile(file), content) << "loading never writes";
    }

    // A file whose values are all in range is written back byte for byte.
    const std::string sixteen =
        "[Parameters]\r\nHTMLListName=index.html\r\nMaxPixel=1\r\nMaxColumn=1000\r\nMakeSmallImage=1\r\n"
        "NextPrevIndex=0\r\nDisplayImageSize=1\r\nDisplayFileSize=0\r\nZoomImage=0\r\nContinueMaked=0\r\n"
        "ImageSurelyCreate=0\r\nImageInfo=0\r\nMakeSmallImageAndOrgImageList=1\r\nSubImageColmn=2\r\n"
        "SubImageMaxSize=65535\r\nDisplayDateTime=0\r\nDisplayTime=0\r\n";
    WriteFile(file, sixteen);
    GenerationOptions options;
    std::vector<ClampedSetting> clamped;
    LoadFromProfile(options, profile, &clamped);
    EXPECT_TRUE(clamped.empty());
    ASSERT_TRUE(SaveToProfile(options, profile));
    EXPECT_EQ(ReadFile(file), sixteen);
}

TEST_F(SettingsFileTest, AddedConditionsStayOutOfTheFileAtTheirDefaults) {
    const std::string original = "[Parameters]\r\nMaxPixel=300\r\n";
    GenerationOptions o;
    o.MaxPixel = 300;
    WriteFile(file, original);
    ASSERT_TRUE(SaveToProfile(o, profile));
    const std::string sixteen = ReadFile(file);
    EXPECT_EQ(sixteen.find("AutoRotate"), std::string::npos);
    EXPECT_EQ(sixteen.find("SmoothReduce"), std::string::npos);
    EXPECT_EQ(sixteen.find("MoreImageTypes"), std::string::npos);

    o.SmoothReduce = true;
    ASSERT_TRUE(SaveToProfile(o, profile));
    EXPECT_EQ(ReadFile(file), sixteen + "SmoothReduce=1\r\n");
    EXPECT_EQ(Load(), o);
    o.SmoothReduce = false;  // back at the default, an entry that stands is kept up to date
    ASSERT_TRUE(SaveToProfile(o, profile));
    EXPECT_EQ(ReadFile(file), sixteen + "SmoothReduce=0\r\n");

    WriteFile(file, "[Parameters]\r\nAutoRotate=0\r\n");
    EXPECT_FALSE(Load().AutoRotate);
}

}  // namespace
}  // namespace htmlimglist
