#include <gtest/gtest.h>

#include <csignal>

#include "cli/CliOptions.h"
#include "cli/TerminalView.h"

namespace htmlimglist {
namespace {

TEST(CliTest, SetOverridesAreCheckedWhileParsingAndAppliedInOrder) {
    CliOptions cli;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--set", "MaxColumn=4", "--set=maxcolumn=5", "--settings", "/x.INI", "--save", "dir"},
                                 cli, error))
        << error;
    EXPECT_EQ(cli.folder, "dir");
    EXPECT_EQ(cli.settingsFile, "/x.INI");
    EXPECT_TRUE(cli.save);
    GenerationOptions options;
    ApplyOverrides(cli, options);
    EXPECT_EQ(options.MaxColumn, 5);

    const std::vector<std::vector<std::string>> refused = {
        {"--set", "Nope=1", "dir"}, {"--set", "MaxPixel=big", "dir"}, {"--set", "MaxPixel", "dir"},
        {"--set"},                  {"--settings"},                   {"--bogus", "dir"},
        {"a", "b"},                 {},
    };
    for (const auto& args : refused) {
        CliOptions c;
        std::string e;
        EXPECT_FALSE(ParseCommandLine(args, c, e)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(e.empty());
    }
    CliOptions saveOnly;
    EXPECT_TRUE(ParseCommandLine({"--save", "--set", "ZoomImage=1"}, saveOnly, error));
}

TEST(CliTest, InterruptBecomesTheAbortCommand) {
    TerminalView view(false);
    view.CatchInterrupt();
    EXPECT_FALSE(view.Pump());
    std::raise(SIGINT);
    EXPECT_TRUE(view.Interrupted());
    EXPECT_TRUE(view.Pump());
    EXPECT_FALSE(view.Pump());  // taken once
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace
}  // namespace htmlimglist
