#include "cli/CliOptions.h"

namespace htmlimglist {

std::string UsageText() {
    std::string text =
        "Usage: htmlimglist-cli [options] FOLDER\n"
        "\n"
        "Writes an HTML catalogue page of the JPEG and GIF images in FOLDER.\n"
        "With MakeSmallImage on, reduced copies and their page go into FOLDER's\n"
        "parent, and a page of the full-size images into FOLDER itself.\n"
        "\n"
        "Options:\n"
        "  --set NAME=VALUE   set one creation condition for this run (repeatable)\n"
        "  -q, --quiet        no progress on stderr\n"
        "  -h, --help         show this help\n"
        "      --version      show the version\n"
        "\n"
        "Conditions (NAME, default):\n";
    for (const OptionField& f : OptionFields()) {
        text += "  " + std::string(f.name) + " = " + f.defaultText + "\n";
    }
    text +=
        "\n"
        "Exit status: 0 done, 1 a page could not be written, 2 bad command line,\n"
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
            if (!SetOptionFromText(options.generation, *field, assignment.substr(eq + 1), why)) {
                error = "--set: " + why;
                return false;
            }
        } else if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
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
    if (positional.size() != 1) {
        error = positional.empty() ? "no FOLDER given" : "give exactly one FOLDER";
        return false;
    }
    options.folder = positional.front();
    return true;
}

}  // namespace htmlimglist
