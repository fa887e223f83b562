#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <sstream>

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
        {"--set", "MaxPixel=0", "dir"}, {"--set", "SubImageColmn=1001", "dir"},
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
        // either language in any case; any other value leaves it to the locale
        {"EN", nullptr, nullptr, "ja_JP.UTF-8", CliLanguage::English},
        {"Ja", nullptr, nullptr, "en_US.UTF-8", CliLanguage::Japanese},
        {"en_GB.UTF-8", nullptr, nullptr, "C", CliLanguage::English},
        {"xx", nullptr, nullptr, "en_US.UTF-8", CliLanguage::English},
        {"xx", nullptr, nullptr, "ja_JP.UTF-8", CliLanguage::Japanese},
        {"eng", "en_GB.UTF-8", nullptr, nullptr, CliLanguage::English},
        {"", nullptr, nullptr, "en_US.UTF-8", CliLanguage::English},
    };
    for (const auto& c : cases) {
        const std::pair<const char*, const char*> vars[] = {
            {"HTMLIMGLIST_LANG", c.chosen}, {"LC_ALL", c.all}, {"LC_MESSAGES", c.messages}, {"LANG", c.lang}};
        for (auto [name, value] : vars) value ? setenv(name, value, 1) : unsetenv(name);
        EXPECT_EQ(LanguageOfEnvironment(), c.expected)
            << (c.chosen ? c.chosen : "-") << " / " << (c.lang ? c.lang : "-");
    }
    for (const char* name : {"HTMLIMGLIST_LANG", "LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
}

TEST(CliTest, HelpGivesEveryConditionItsDefaultValuesAndMeaning) {
    const std::string help = UsageText();
    for (const OptionField& field : OptionFields()) {
        std::string meaning = field.meaning;
        std::replace(meaning.begin(), meaning.end(), '`', '\'');
        meaning = meaning.substr(0, meaning.find(' ', 40));  // the part before any wrap
        const std::string head = std::string("\n  ") + field.name + " = " + field.defaultText + " (" +
                                 OptionValuesText(field) + ")\n      " + meaning;
        EXPECT_NE(help.find(head), std::string::npos) << head;
    }
    for (const char* values : {"MaxPixel = 200 (1..65535)", "MaxColumn = 6 (1..1000)", "SubImageColmn = 2 (1..1000)",
                               "SubImageMaxSize = 640 (1..65535)", "ZoomImage = 0 (0/1)"}) {
        EXPECT_NE(help.find(values), std::string::npos) << values;
    }
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
}

TEST(CliTest, PagesAndFilesNotListedAreReportedInTheRunsLanguage) {
    ListResult full;
    full.pagePath = "/a/\x1b.html";
    full.status = PageStatus::Saved;
    full.cells = 1;
    ListResult reduced = full;
    reduced.pagePath = "/index.html";
    reduced.cells = 12;
    reduced.copiesMade = 9;
    reduced.copiesKept = 2;
    reduced.copiesNotMade = 1;
    reduced.livePaired = 3;
    const std::vector<std::string> seven = {"a", "b", "c", "d", "e", "f", "g"};
    const struct {
        std::string shown, expected;
    } cases[] = {
        {PageWrittenText(full, CliLanguage::Japanese), "ﾘｽﾄを作成しました. /a/\\x1b.html: 1ｾﾙ"},
        {PageWrittenText(full, CliLanguage::English), "Page written: /a/\\x1b.html: 1 cell"},
        {PageWrittenText(reduced, CliLanguage::Japanese),
         "ﾘｽﾄを作成しました. /index.html: 12ｾﾙ, 縮小画像 作成9 既存2 未作成1, Live動画3"},
        {PageWrittenText(reduced, CliLanguage::English),
         "Page written: /index.html: 12 cells, reduced copies: 9 made, 2 kept, 1 not made, 3 videos as Live"},
        {NotListedText(NotListedReason::NoEndMarker, {"cut.jpg"}, false, CliLanguage::Japanese),
         "画像に見えるがﾘｽﾄしなかったﾌｧｲﾙが1個あります(終了ﾏｰｶｰがありません): cut.jpg"},
        {NotListedText(NotListedReason::NoEndMarker, {"cut.jpg"}, false, CliLanguage::English),
         "1 file looks like an image but was not listed (no end-of-image marker): cut.jpg"},
        {NotListedText(NotListedReason::NoSize, seven, false, CliLanguage::Japanese),
         "画像に見えるがﾘｽﾄしなかったﾌｧｲﾙが7個あります(ﾍｯﾀﾞにｻｲｽﾞがありません): a, b, c, d, e 他2個(-vで全て表示)"},
        {NotListedText(NotListedReason::NoSize, seven, false, CliLanguage::English),
         "7 files look like images but were not listed (no size in the header): a, b, c, d, e and 2 more "
         "(-v names them all)"},
        {NotListedText(NotListedReason::NoSize, seven, true, CliLanguage::Japanese),
         "画像に見えるがﾘｽﾄしなかったﾌｧｲﾙが7個あります(ﾍｯﾀﾞにｻｲｽﾞがありません):"},
        {NotListedText(NotListedReason::HeicNeedsCopies, {"IMG_0001.HEIC"}, false, CliLanguage::English),
         "1 file looks like an image but was not listed (browsers cannot show HEIC; make reduced copies): "
         "IMG_0001.HEIC"},
        {NotListedText(NotListedReason::HeicNeedsCopies, {"IMG_0001.HEIC"}, false, CliLanguage::Japanese),
         "画像に見えるがﾘｽﾄしなかったﾌｧｲﾙが1個あります(ﾌﾞﾗｳｻﾞはHEICを表示できません; 縮小画像を作成してください): "
         "IMG_0001.HEIC"},
        {NotListedText(NotListedReason::VideoNeedsCopies, {"clip.mp4"}, false, CliLanguage::English),
         "1 file looks like an image but was not listed (videos need reduced copies): clip.mp4"},
        {NotListedText(NotListedReason::VideoNeedsCopies, {"clip.mp4"}, false, CliLanguage::Japanese),
         "画像に見えるがﾘｽﾄしなかったﾌｧｲﾙが1個あります(動画には縮小画像が必要です): clip.mp4"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.shown, c.expected);
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
