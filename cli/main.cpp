// htmlimglist-cli: the runs of the desktop tool without a window.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
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

// Text for stdout (--help, --version); a write that fails, such as one to a
// full device, is an error of its own.
int Print(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        return Fail(kExitFailed, std::string("cannot write to the standard output: ") + std::strerror(errno));
    }
    return kExitOk;
}

// One folder's run with its own view and writer; its exit status. A folder
// that does not exist is reported and fails its own run only.
int RunFolder(const CliOptions& cli, const GenerationOptions& options, TProfile& profile, const std::string& folder,
              CliLanguage language) {
    TerminalView view(!cli.quiet && isatty(STDERR_FILENO), language, cli.quiet ? PageLines::Off : PageLines::On);
    FolderListWriter writer(options, view);
    writer.SetPageLanguage(language == CliLanguage::English ? "en" : "ja");
    view.CatchInterrupt(writer.AbortCommand());
    if (cli.jobs > 0) writer.SetReducedImageJobs(cli.jobs);
    RunDriver driver(options, writer, view, profile);
    const RunOutcome outcome = driver.RunFolder(folder);
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
    // A write past the file size limit (ulimit -f) then fails with EFBIG and
    // is handled like a full disk, instead of the signal killing the run with
    // its temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);

    CliOptions cli;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), cli, error)) {
        return Fail(kExitUsage, ForTerminal(error) + "\nTry 'htmlimglist-cli --help'.");
    }
    if (cli.help) return Print(UsageText());
    if (cli.version) return Print("htmlimglist-cli " HTMLIMGLIST_VERSION "\n");

    // Something that stands there but is no folder is a mistake on the
    // command line: it is refused before any run writes anything. A folder
    // that does not exist (gone since a `find` listed it, say) is reported by
    // its own run, and the others still run.
    std::vector<std::string> folders;
    for (const std::string& given : cli.folders) {
        folders.push_back(AbsolutePath(given));
        const PathKind kind = KindOfPath(folders.back());
        if (kind != PathKind::Folder && kind != PathKind::Missing)
            return Fail(kExitUsage, ForTerminal(given) + " is not a folder");
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
    std::vector<ClampedSetting> clamped;
    const ProfileSnapshot settings = LoadFromProfile(options, profile, &clamped);
    // The window's file may not exist yet, and --save creates a named one; a
    // file that stands there but cannot be read is never run with (nor saved
    // over) as if it held the defaults.
    const bool missingAllowed = !namedSettings || cli.save;
    if (settings.Status() != ProfileFileStatus::Loaded &&
        !(settings.Status() == ProfileFileStatus::Missing && missingAllowed)) {
        return Fail(kExitUsage,
                    (namedSettings ? "--settings " : "settings file ") + ForTerminal(settingsPath) + ": " + settings.Reason());
    }
    // A value --set replaces needs no word; for the others a warning, and
    // the run goes on with them moved into range.
    std::erase_if(clamped, [&](const ClampedSetting& c) {
        return std::any_of(cli.overrides.begin(), cli.overrides.end(),
                           [&](const auto& override) { return override.first == c.field; });
    });
    if (!clamped.empty()) {
        std::fprintf(stderr, "htmlimglist-cli: %s %s: out of range, moved into it: %s\n",
                     namedSettings ? "--settings" : "settings file", ForTerminal(settingsPath).c_str(),
                     ClampedSettingsText(clamped, "; ").c_str());
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
