#include "cli/CliOptions.h"

namespace htmlimglist {

std::string UsageText() {
    std::string text =
        "Usage: htmlimglist-cli [options] FOLDER...\n"
        "\n"
        "Writes an HTML catalogue page of the JPEG and GIF images in FOLDER.\n"
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
        "  -q, --quiet        no progress on stderr, and no summary of the files that\n"
        "                     look like images but were not listed\n"
        "  -v, --verbose      name every such file\n"
        "  -h, --help         show this help\n"
        "      --version      show the version\n"
        "\n"
        "Conditions (NAME = default):\n";
    for (const OptionField& f : OptionFields()) {
        text += "  " + std::string(f.name) + " = " + f.defaultText + "\n";
    }
    text +=
        "\n"
        "With ContinueMaked=1 the run walks the numbered folders (00005, 00006, ...)\n"
        "from FOLDER on until the next one is missing.\n"
        "\n"
        "Exit status: 0 done; 1 a page, a reduced copy or the settings could not be\n"
        "written, the run could not start, or a continuous run found no folder;\n"
        "2 bad command line, a list name that cannot name a page, or a settings\n"
        "file that cannot be read (over 1 MiB, not a file, not readable, or a\n"
        "--settings FILE that is missing); 130 interrupted (the page being made is\n"
        "saved with the cells so far).\n";
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
