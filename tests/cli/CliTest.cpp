#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>

#include "cli/CliOptions.h"
#include "cli/MessageText.h"
#include "cli/TerminalText.h"
#include "cli/TerminalView.h"

namespace htmlimglist {
namespace {

TEST(CliTest, SetOverridesAreCheckedWhileParsingAndAppliedInOrder) {
    CliOptions cli;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--set", "MaxColumn=4", "--set=maxcolumn=5", "--settings", "/x.INI", "--save", "dir"},
                                 cli, error))
        << error;
    EXPECT_EQ(cli.folders, std::vector<std::string>{"dir"});
    EXPECT_EQ(cli.settingsFile, "/x.INI");
    EXPECT_TRUE(cli.save);
    GenerationOptions options;
    ApplyOverrides(cli, options);
    EXPECT_EQ(options.MaxColumn, 5);

    const std::vector<std::vector<std::string>> refused = {
        {"--set", "Nope=1", "dir"}, {"--set", "MaxPixel=big", "dir"}, {"--set", "MaxPixel", "dir"},
        {"--set"},                  {"--settings"},                   {"--bogus", "dir"},
        {},
    };
    for (const auto& args : refused) {
        CliOptions c;
        std::string e;
        EXPECT_FALSE(ParseCommandLine(args, c, e)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(e.empty());
    }
    CliOptions saveOnly;
    EXPECT_TRUE(ParseCommandLine({"--save", "--set", "ZoomImage=1"}, saveOnly, error));
    CliOptions several;
    EXPECT_TRUE(ParseCommandLine({"a", "-q", "b", "--", "-c"}, several, error));
    EXPECT_EQ(several.folders, (std::vector<std::string>{"a", "b", "-c"}));
}

TEST(CliTest, EnglishOnlyWhereTheEnvironmentSpeaksIt) {
    const struct {
        const char *chosen, *all, *messages, *lang;
        CliLanguage expected;
    } cases[] = {
        {nullptr, nullptr, nullptr, nullptr, CliLanguage::Japanese},
        {nullptr, nullptr, nullptr, "C", CliLanguage::Japanese},
        {nullptr, nullptr, nullptr, "ja_JP.UTF-8", CliLanguage::Japanese},
        {nullptr, nullptr, nullptr, "en_GB.UTF-8", CliLanguage::English},
        {nullptr, nullptr, "en_US.UTF-8", "ja_JP.UTF-8", CliLanguage::English},
        {nullptr, "C", "en_US.UTF-8", "en_US.UTF-8", CliLanguage::Japanese},  // LC_ALL comes first
        {nullptr, "", "", "en", CliLanguage::English},                          // empty ones count as unset
        {nullptr, nullptr, nullptr, "eng", CliLanguage::Japanese},
        {"en", nullptr, nullptr, "ja_JP.UTF-8", CliLanguage::English},
        {"ja", nullptr, nullptr, "en_US.UTF-8", CliLanguage::Japanese},
    };
    for (const auto& c : cases) {
        const std::pair<const char*, const char*> vars[] = {
            {"HTMLIMGLIST_LANG", c.chosen}, {"LC_ALL", c.all}, {"LC_MESSAGES", c.messages}, {"LANG", c.lang}};
        for (auto [name, value] : vars) value ? setenv(name, value, 1) : unsetenv(name);
        EXPECT_EQ(LanguageOfEnvironment(), c.expected) << (c.lang ? c.lang : "-");
    }
    for (const char* name : {"HTMLIMGLIST_LANG", "LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
}

TEST(CliTest, InterruptBecomesTheAbortCommand) {
    std::atomic<bool> command{false};
    {
        TerminalView view(false);
        view.CatchInterrupt(command);
        std::raise(SIGINT);
        EXPECT_TRUE(view.Interrupted());
        EXPECT_TRUE(command.load());
    }
    command = false;
    std::raise(SIGINT);  // the view is gone: the command is no longer reached
    EXPECT_FALSE(command.load());
    std::signal(SIGINT, SIG_DFL);
}

TEST(CliTest, NamesReachTheTerminalWithControlsEscaped) {
    const struct {
        std::string_view name, shown;
    } cases[] = {
        {"plain 写真.jpg", "plain 写真.jpg"},
        {"\x1b]0;title\x07.jpg", "\\x1b]0;title\\x07.jpg"},
        {"\x1b[2J", "\\x1b[2J"},
        {"a\nb\tc\x7f", "a\\x0ab\\x09c\\x7f"},
        {"c1 \xc2\x9b", "c1 \\xc2\\x9b"},       // U+009B, the one-byte CSI of 8-bit terminals
        {"caf\xe9.jpg", "caf\\xe9.jpg"},          // not UTF-8
        {"\xe5\x86", "\\xe5\\x86"},              // a character cut short
        {"\xc0\xaf", "\\xc0\\xaf"},              // an overlong "/"
        {"back\\slash", "back\\slash"},
    };
    for (const auto& c : cases) EXPECT_EQ(ForTerminal(c.name), c.shown) << c.name;

    EXPECT_EQ(MessageText({RunMessageId::SaveFailed, "/x/\x1b.jpg", "No space left on device"}),
              "保存に失敗しました.\n/x/\\x1b.jpg: No space left on device");
    EXPECT_EQ(MessageText({RunMessageId::TooShallow, {}, {}}), "ﾊﾟｽの階層が少な過ぎます.");
    EXPECT_EQ(MessageText({RunMessageId::SaveFailed, "/x/a.jpg", "Permission denied"}, CliLanguage::English),
              "Could not save.\n/x/a.jpg: Permission denied");

    // A copy that could not be written fails the run; a kept file does not.
    TerminalView view(false);
    view.ShowMessage({RunMessageId::NotACopy, "/x/a.jpg", {}});
    EXPECT_FALSE(view.AnyFailure());
    view.ShowMessage({RunMessageId::SaveFailed, "/x/b.jpg", "No space left on device"});
    EXPECT_TRUE(view.AnyFailure());
}

}  // namespace
}  // namespace htmlimglist
