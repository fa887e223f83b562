// htmlimglist-cli: the runs of the desktop tool without a window.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/TerminalText.h"
#include "cli/TerminalView.h"
#include "listgen/FolderListWriter.h"
#include "listgen/RunDriver.h"
#include "listgen/SettingsFile.h"
#include "platform/Directory.h"
#include "platform/ExecutablePath.h"
#include "platform/Path.h"
#include "profile/TProfile.h"

using namespace htmlimglist;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "htmlimglist-cli: %s\n", message.c_str());
    return status;
}

// One folder's run with its own view and writer; its exit status.
int RunFolder(const CliOptions& cli, const GenerationOptions& options, TProfile& profile, const std::string& folder,
              CliLanguage language) {
    TerminalView view(!cli.quiet && isatty(STDERR_FILENO), language);
    FolderListWriter writer(options, view);
    view.CatchInterrupt(writer.AbortCommand());
    writer.SetSelectedFolder(folder);
    if (cli.jobs > 0) writer.SetReducedImageJobs(cli.jobs);
    RunDriver driver(options, writer, view, profile);
    const RunOutcome outcome = driver.StartRun();
    if (!cli.quiet) view.ReportNotListed(cli.verbose);

    if (view.Interrupted()) return kExitInterrupted;
    switch (outcome) {
        case RunOutcome::Done:
        case RunOutcome::SeriesEnded:
        case RunOutcome::Aborted:
            return view.AnyFailure() ? kExitFailed : kExitOk;
        case RunOutcome::BadListName:
            return kExitUsage;
        default:
            return kExitFailed;
    }
}

}  // namespace

int main(int argc, char** argv) {
    CliOptions cli;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), cli, error)) {
        return Fail(kExitUsage, ForTerminal(error) + "\nTry 'htmlimglist-cli --help'.");
    }
    if (cli.help) {
        std::fputs(UsageText().c_str(), stdout);
        return kExitOk;
    }
    if (cli.version) {
        std::puts("htmlimglist-cli " HTMLIMGLIST_VERSION);
        return kExitOk;
    }

    // Every folder is checked before any run, so that a bad one among many
    // writes nothing anywhere.
    std::vector<std::string> folders;
    for (const std::string& given : cli.folders) {
        folders.push_back(AbsolutePath(given));
        if (KindOfPath(folders.back()) != PathKind::Folder) return Fail(kExitUsage, ForTerminal(given) + " is not a folder");
    }

    // The same settings file as the window, unless another is named.
    const bool namedSettings = !cli.settingsFile.empty();
    std::string settingsPath = cli.settingsFile;
    if (!namedSettings) {
        PathResult location = SettingsFilePath();
        if (!location.ok()) return Fail(kExitFailed, "settings file: " + location.error);
        settingsPath = location.path;
    } else if (settingsPath.size() >= PATH_MAX) {
        return Fail(kExitUsage, "--settings: the path is longer than the system allows");
    }
    TProfile profile;
    profile.SetFileName(settingsPath);
    profile.SetSection(kSettingsSection);
    GenerationOptions options;
    const ProfileSnapshot settings = LoadFromProfile(options, profile);
    // The window's file may not exist yet, and --save creates a named one; a
    // file that stands there but cannot be read is never run with (nor saved
    // over) as if it held the defaults.
    const bool missingAllowed = !namedSettings || cli.save;
    if (settings.Status() != ProfileFileStatus::Loaded &&
        !(settings.Status() == ProfileFileStatus::Missing && missingAllowed)) {
        return Fail(kExitUsage,
                    (namedSettings ? "--settings " : "settings file ") + ForTerminal(settingsPath) + ": " + settings.Reason());
    }
    ApplyOverrides(cli, options);

    if (cli.save && !SaveToProfile(options, profile)) {
        return Fail(kExitFailed, "could not store the settings in " + ForTerminal(settingsPath));
    }
    const CliLanguage language = LanguageOfEnvironment();
    int status = kExitOk;
    for (const std::string& folder : folders) {
        status = std::max(status, RunFolder(cli, options, profile, folder, language));
        if (status == kExitInterrupted) break;  // Ctrl+C stops the whole call
    }
    return status;
}
