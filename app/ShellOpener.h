// Opening a file with the program associated with its type, behind an
// interface so that tests can put a stub in its place.
#pragma once

#include <string>

namespace htmlimglist {

enum class OpenResult {
    Opened,
    NotFound,       // the file or its folder does not exist
    NotAssociated,  // nothing on the desktop takes files of this type
};

class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    // Opens path with the program that takes its type, started in
    // workingFolder (empty: this process's current folder).
    virtual OpenResult Open(const std::string& path, const std::string& workingFolder) = 0;
};

// The desktop's own handler for the file's type: xdg-open, found in PATH,
// started in the working folder; without it, QDesktopServices with the
// process's current folder switched to the working folder while it starts
// the handler.
class DesktopOpener final : public ShellOpener {
public:
    OpenResult Open(const std::string& path, const std::string& workingFolder) override;
};

}  // namespace htmlimglist
