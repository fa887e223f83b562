#include "platform/ExecutablePath.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Path.h"

namespace htmlimglist {
namespace {

constexpr std::string_view kConfigFolderName = "htmlimglist";
constexpr std::string_view kConfigFileName = "htmlimglist.INI";

// Paths the platform takes are shorter than PATH_MAX with their zero byte.
PathResult Checked(std::string path, std::string_view what) {
    if (path.size() < PATH_MAX) return {std::move(path), {}};
    std::string shown = path.substr(0, 60) + "...";
    return {{}, std::string(what) + " is " + std::to_string(path.size()) +
                    " bytes long; the system allows at most " + std::to_string(PATH_MAX - 1) +
                    ": " + shown};
}

bool FolderIsWritable(const std::string& folder) {
    struct stat st;
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           access(folder.c_str(), W_OK | X_OK) == 0;
}

// mkdir -p with the mode the configuration folders get (private to the user).
void MakeFolders(const std::string& folder) {
    if (folder.empty() || FolderIsWritable(folder)) return;
    std::string parent = CutAtLastSeparator(folder);
    if (!parent.empty() && parent != folder) MakeFolders(parent);
    mkdir(folder.c_str(), 0700);
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    std::vector<char> buffer(16384);
    passwd entry;
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir) {
        return found->pw_dir;
    }
    return {};
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

PathResult ExecutablePath() {
    std::vector<char> buffer(PATH_MAX + 1);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) {
        return {{}, std::string("cannot find the program's own path: ") + std::strerror(errno)};
    }
    return Checked(std::string(buffer.data(), std::size_t(n)), "the program's path");
}

std::string SiblingWithExtension(std::string_view executable, std::string_view extension) {
    std::size_t nameStart = executable.rfind('/');
    nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
    std::size_t dot = executable.rfind('.');
    std::string out(executable);
    if (dot != std::string_view::npos && dot > nameStart) out.resize(dot);
    out += extension;
    return out;
}

bool IsInstalledProgram(std::string_view executable) { return executable.starts_with("/usr/"); }

PathResult ResolveSettingsFilePath(const SettingsLocationInput& input) {
    if (!input.overridePath.empty()) {
        return Checked(input.overridePath, "the settings file path given by HTMLIMGLIST_INI");
    }
    // Root may write /usr/bin, but a settings file there would outlive the
    // package and be shared by no one.
    if (!input.executable.empty() && !IsInstalledProgram(input.executable)) {
        std::string folder = input.executable.find('/') == std::string::npos
                                 ? std::string(".")
                                 : CutAtLastSeparator(input.executable);
        if (folder.empty()) folder = "/";
        if (FolderIsWritable(folder)) {
            return Checked(SiblingWithExtension(input.executable, ".INI"), "the settings file path");
        }
    }
    std::string base = input.xdgConfigHome;
    if (base.empty() || base.front() != '/') {
        if (input.home.empty()) {
            return {{}, "no place for the settings file: the program's folder is not writable "
                        "and there is no home folder"};
        }
        base = JoinPath(input.home, ".config");
    }
    std::string folder = JoinPath(base, kConfigFolderName);
    PathResult result = Checked(JoinPath(folder, kConfigFileName), "the settings file path");
    if (result.ok()) MakeFolders(folder);
    return result;
}

PathResult SettingsFilePath() {
    SettingsLocationInput input;
    input.overridePath = Environment("HTMLIMGLIST_INI");
    if (input.overridePath.empty()) {
        PathResult executable = ExecutablePath();
        if (!executable.ok()) return executable;
        // The window and the command-line tool are installed side by side
        // and share the window's settings file.
        input.executable = JoinPath(CutAtLastSeparator(executable.path), kWindowProgramName);
        input.xdgConfigHome = Environment("XDG_CONFIG_HOME");
        input.home = HomeFolder();
    }
    return ResolveSettingsFilePath(input);
}

}  // namespace htmlimglist
