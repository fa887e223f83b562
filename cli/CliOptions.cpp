#include "cli/CliOptions.h"

namespace htmlimglist {
namespace {

// A condition's meaning as --help shows it: `code` in single quotes, words
// wrapped after column 78 onto lines indented like the first.
std::string HelpMeaning(std::string_view meaning) {
    constexpr std::size_t kIndent = 6, kWidth = 78;
    std::string text;
    for (char c : meaning) text += c == '`' ? '\'' : c;
    std::string out;
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        std::size_t end = text.size();
        if (end - lineStart > kWidth - kIndent) {
            end = text.rfind(' ', lineStart + (kWidth - kIndent));
            if (end == std::string::npos || end <= lineStart) end = text.find(' ', lineStart + (kWidth - kIndent));
            if (end == std::string::npos) end = text.size();
        }
        out += std::string(kIndent, ' ') + text.substr(lineStart, end - lineStart) + "\n";
        lineStart = end + 1;
    }
    return out;
}

}  // namespace

std::string UsageText() {
    std::string text =
        "Usage: htmlimglist-cli [options] FOLDER...\n"
        "\n"
        "Writes an HTML catalogue page of the images in FOLDER: JPEG and GIF, and\n"
        "with MoreImageTypes PNG, WebP, HEIC and AVIF too, each recognised by its\n"
        "bytes (HEIC only with MakeSmallImage, through its reduced copy).\n"
        "With ListVideos and MakeSmallImage, MP4, MOV and WebM videos are listed\n"
        "too, each by a reduced copy of one frame.\n"
        "Several folders are several runs, one after another in the order given;\n"
        "the exit status is the worst of them and Ctrl+C stops them all.\n"
        "With MakeSmallImage on, reduced copies and their page go into FOLDER's\n"
        "parent, and a page of the full-size images into FOLDER itself.\n"
        "\n"
        "Options:\n"
        "  --set NAME=VALUE   set one creation condition for this run (repeatable)\n"
        "  --settings FILE    read the conditions from FILE instead of the settings\n"
        "                     file the window uses; FILE must exist unless --save\n"
        "                     is given, and be a readable file of at most 1 MiB\n"
        "  --save             store the conditions, with every --set applied, into\n"
        "                     the settings file (FOLDER may then be left out)\n"
        "  -j, --jobs N       worker threads that make reduced images (default: one\n"
        "                     per core); the files written are the same for any N\n"
        "  -q, --quiet        no progress and no line per page written on stderr,\n"
        "                     and no summary of the files that look like images\n"
        "                     but were not listed\n"
        "  -v, --verbose      name every such file\n"
        "  -h, --help         show this help\n"
        "      --version      show the version\n"
        "\n"
        "Conditions (NAME = default (values), and what each does):\n";
    for (const OptionField& f : OptionFields()) {
        text += "  " + std::string(f.name) + " = " + f.defaultText + " (" + OptionValuesText(f) + ")\n";
        text += HelpMeaning(f.meaning);
    }
    text +=
        "\n"
        "Numbers outside their range are refused by --set; a settings file's are\n"
        "moved to the nearest end of the range, with a warning.\n"
        "With ContinueMaked=1 the run walks the numbered folders (00005, 00006, ...)\n"
        "from FOLDER on until the next one is missing.\n"
        "\n"
        "Unless -q is given, each page written is reported on stderr with its\n"
        "number of cells and what became of its reduced copies.\n"
        "\n"
        "Exit status: 0 done; 1 a page, a reduced copy or the settings could not be\n"
        "written, a FOLDER does not exist (the others are still run), the run could\n"
        "not start, or a continuous run found no folder; 2 bad command line, a list\n"
        "name that cannot name a page, or a settings file that cannot be read (over\n"
        "1 MiB, not a file, not readable, or a --settings FILE that is missing);\n"
        "130 interrupted (the page being made is saved with the cells so far).\n";
    return text;
}

bool ParseCommandLine(const std::vector<std::string>& args, CliOptions& options, std::string& error) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--set" || arg.rfind("--set=", 0) == 0) {
            std::string assignment;
            if (arg == "--set") {
                if (i + 1 >= args.size()) {
                    error = "--set needs NAME=VALUE";
                    return false;
                }
                assignment = args[++i];
            } else {
                assignment = arg.substr(6);
            }
            auto eq = assignment.find('=');
            if (eq == std::string::npos) {
                error = "--set needs NAME=VALUE, not '" + assignment + "'";
                return false;
            }
            const OptionField* field = FindOptionField(assignment.substr(0, eq));
            if (field == nullptr) {
                error = "--set: unknown condition '" + assignment.substr(0, eq) + "'";
                return false;
            }
            std::string why;
            GenerationOptions probe;
            if (!SetOptionFromText(probe, *field, assignment.substr(eq + 1), why)) {
                error = "--set: " + why;
                return false;
            }
            options.overrides.emplace_back(field, assignment.substr(eq + 1));
        } else if (arg == "--settings" || arg.rfind("--settings=", 0) == 0) {
            if (arg == "--settings") {
                if (i + 1 >= args.size()) {
                    error = "--settings needs a FILE";
                    return false;
                }
                options.settingsFile = args[++i];
            } else {
                options.settingsFile = arg.substr(11);
            }
            if (options.settingsFile.empty()) {
                error = "--settings needs a FILE";
                return false;
            }
        } else if (arg == "-j" || arg == "--jobs" || arg.rfind("--jobs=", 0) == 0) {
            std::string value;
            if (arg.rfind("--jobs=", 0) == 0) {
                value = arg.substr(7);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            }
            int32_t jobs = 0;
            if (!ParseDecimalInt32(value, jobs) || jobs < 1 || jobs > 256) {
                error = "--jobs needs a number from 1 to 256";
                return false;
            }
            options.jobs = jobs;
        } else if (arg == "--save") {
            options.save = true;
        } else if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "-v" || arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--") {
            positional.insert(positional.end(), args.begin() + std::ptrdiff_t(i) + 1, args.end());
            break;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option '" + arg + "'";
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (options.help || options.version) return true;
    if (positional.empty() && options.save) return true;
    if (positional.empty()) {
        error = "no FOLDER given";
        return false;
    }
    options.folders = std::move(positional);
    return true;
}

}  // namespace htmlimglist

namespace htmlimglist {

void ApplyOverrides(const CliOptions& cli, GenerationOptions& options) {
    for (const auto& [field, text] : cli.overrides) {
        std::string unused;
        SetOptionFromText(options, *field, text, unused);  // checked while parsing
    }
}

}  // namespace htmlimglist
