// htmlimglist-cli: the runs of the desktop tool without a window.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/TerminalView.h"
#include "listgen/FolderListWriter.h"
#include "listgen/RunDriver.h"
#include "platform/Directory.h"
#include "platform/Path.h"

using namespace htmlimglist;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitPageFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

}  // namespace

int main(int argc, char** argv) {
    CliOptions options;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "htmlimglist-cli: %s\nTry 'htmlimglist-cli --help'.\n", error.c_str());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return kExitOk;
    }
    if (options.version) {
        std::puts("htmlimglist-cli 0.1.0");
        return kExitOk;
    }

    const std::string folder = AbsolutePath(options.folder);
    if (KindOfPath(folder) != PathKind::Folder) {
        std::fprintf(stderr, "htmlimglist-cli: %s is not a folder\n", options.folder.c_str());
        return kExitUsage;
    }

    TerminalView view(!options.quiet && isatty(STDERR_FILENO));
    view.CatchInterrupt();
    FolderListWriter writer(options.generation, view);
    writer.SetSelectedFolder(folder);
    RunDriver driver(options.generation, writer);
    driver.RunSingle();

    if (view.Interrupted()) return kExitInterrupted;
    return view.AnyFailure() ? kExitPageFailed : kExitOk;
}
