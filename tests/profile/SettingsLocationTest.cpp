#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "platform/ExecutablePath.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using test::TempDir;

TEST(SettingsLocation, SiblingReplacesOnlyTheFileNamesExtension) {
    struct Case {
        std::string_view executable, expected;
    } cases[] = {
        {"/opt/a.b/tool.exe", "/opt/a.b/tool.INI"}, {"/opt/a.b/tool", "/opt/a.b/tool.INI"},
        {"/opt/x/t.tar.gz", "/opt/x/t.tar.INI"},    {"/opt/x/.tool", "/opt/x/.tool.INI"},
    };
    for (const Case& c : cases) EXPECT_EQ(SiblingWithExtension(c.executable, ".INI"), c.expected);
}

TEST(SettingsLocation, BesideTheProgramElseInTheConfigFolderUnlessOverridden) {
    TempDir dir;
    // A folder that does not exist is not writable, even for root.
    const std::string unwritable = "/nonexistent-htmlimglist/tool";
    const std::string xdgFile = dir / "xdg/htmlimglist/htmlimglist.INI";
    const std::string homeFile = dir / ".config/htmlimglist/htmlimglist.INI";
    struct Case {
        SettingsLocationInput input;
        std::string expected;
    } cases[] = {
        {{dir.Make("a.b") + "/tool", "", dir / "xdg", dir.path()}, dir / "a.b/tool.INI"},
        {{unwritable, "", dir / "xdg", dir.path()}, xdgFile},
        {{unwritable, "", "", dir.path()}, homeFile},
        {{unwritable, "", "relative", dir.path()}, homeFile},
        {{dir / "tool", dir / "mine.ini", dir / "xdg", dir.path()}, dir / "mine.ini"},
        {{unwritable, "", "", ""}, ""},
        // Installed under /usr: the user's configuration folder, even for
        // root, who can write /usr/bin.
        {{"/usr/bin/htmlimglist", "", dir / "xdg", dir.path()}, xdgFile},
        {{"/usr/local/bin/htmlimglist", "", "", dir.path()}, homeFile},
        {{"/usr/bin/htmlimglist", dir / "mine.ini", dir / "xdg", dir.path()}, dir / "mine.ini"},
    };
    for (const Case& c : cases) {
        PathResult result = ResolveSettingsFilePath(c.input);
        EXPECT_EQ(result.path, c.expected) << result.error;
        EXPECT_EQ(result.ok(), !c.expected.empty());
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir / "xdg/htmlimglist"));

    ASSERT_EQ(setenv("HTMLIMGLIST_INI", "/tmp/override.INI", 1), 0);
    EXPECT_EQ(SettingsFilePath().path, "/tmp/override.INI");
    unsetenv("HTMLIMGLIST_INI");
    EXPECT_NE(ExecutablePath().path.find("/profile_tests"), std::string::npos);
}

TEST(SettingsLocation, InstalledProgramsAreThoseUnderUsr) {
    const std::pair<std::string_view, bool> cases[] = {
        {"/usr/bin/htmlimglist", true},          {"/usr/local/bin/htmlimglist", true},
        {"/usr/games/htmlimglist", true},        {"/usrlocal/bin/htmlimglist", false},
        {"/opt/usr/bin/htmlimglist", false},     {"/home/me/htmlimglist/build/bin/htmlimglist", false},
        {"usr/bin/htmlimglist", false},          {"/usr", false},
    };
    for (const auto& [executable, installed] : cases) EXPECT_EQ(IsInstalledProgram(executable), installed) << executable;
}

TEST(SettingsLocation, RefusesPathsTooLongInsteadOfCuttingThem) {
    const std::string deep = "/" + std::string(PATH_MAX - 6, 'd');
    for (const SettingsLocationInput& input :
         {SettingsLocationInput{"/bin/tool", deep + "/x.INI", "", "/root"},
          SettingsLocationInput{"/nonexistent-htmlimglist/tool", "", deep, "/root"}}) {
        PathResult result = ResolveSettingsFilePath(input);
        EXPECT_TRUE(result.path.empty());
        EXPECT_NE(result.error.find("bytes long"), std::string::npos) << result.error;
    }
}

}  // namespace
}  // namespace htmlimglist
