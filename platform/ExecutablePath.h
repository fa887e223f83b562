// Where the running program lies, and the files that live beside it.
#pragma once

#include <string>
#include <string_view>

namespace htmlimglist {

// A path, or the reason there is none. Exactly one of the two is non-empty.
struct PathResult {
    std::string path;
    std::string error;

    bool ok() const { return error.empty(); }
};

// Full path of the running executable, as /proc/self/exe names it.
PathResult ExecutablePath();

// The executable's path with its file name's extension replaced by extension
// (".INI", ".TXT"), or extension appended when the name has none. Dots in
// folder names and a dot that starts the name are not extensions:
// "/opt/a.b/tool.exe" -> "/opt/a.b/tool.INI", "/opt/a.b/tool" -> "/opt/a.b/tool.INI".
std::string SiblingWithExtension(std::string_view executable, std::string_view extension);

// What decides where the settings file lies; SettingsFilePath() fills it from
// the running process.
struct SettingsLocationInput {
    std::string executable;     // full path of the executable
    std::string overridePath;   // HTMLIMGLIST_INI; empty when unset
    std::string xdgConfigHome;  // XDG_CONFIG_HOME; empty when unset
    std::string home;           // the user's home folder
};

// True for a program installed under /usr (/usr/bin, /usr/local/bin, ...):
// its folder belongs to the system and its package, never to one user's
// settings, whoever runs it.
bool IsInstalledProgram(std::string_view executable);

// The settings file: overridePath when given; else, for a program that is not
// installed (run from its build or unpacked folder), the executable's path
// with ".INI" when the executable's folder is writable (the file lives beside
// the program); else "htmlimglist/htmlimglist.INI" in the user's
// configuration folder (XDG_CONFIG_HOME when it is absolute, else
// home/.config), whose "htmlimglist" folder is created when missing so that
// the file can be written there. A path of PATH_MAX bytes or more is refused
// with an error rather than cut into some other file's path.
PathResult ResolveSettingsFilePath(const SettingsLocationInput& input);

// File name of the desktop window's executable; the command-line tool lies
// beside it.
inline constexpr const char* kWindowProgramName = "htmlimglist";

// ResolveSettingsFilePath for this process: the window's executable in this
// executable's folder, HTMLIMGLIST_INI, XDG_CONFIG_HOME and HOME (or the
// password database's home folder).
PathResult SettingsFilePath();

}  // namespace htmlimglist
