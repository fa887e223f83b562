// Opening a file with the program associated with its type, behind an
// interface so that tests can put a stub in its place.
#pragma once

#include <functional>
#include <string>

namespace htmlimglist {

enum class OpenResult {
    Opened,
    NotFound,       // the file or its folder does not exist
    NotAssociated,  // nothing on the desktop takes files of this type
};

// What an open that failed only after it was started calls (on the thread
// that asked), with NotFound or NotAssociated.
using OpenFailedLater = std::function<void(OpenResult)>;

class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    // Opens path with the program that takes its type, started in
    // workingFolder (empty: this process's current folder). Opened means
    // the desktop's handler was started; when it then finds no program for
    // the file, failedLater (if given) hears so.
    virtual OpenResult Open(const std::string& path, const std::string& workingFolder,
                            OpenFailedLater failedLater = {}) = 0;
};

// The desktop's own handler for the file's type: xdg-open, found in PATH,
// started in the working folder and left running; its exit status, when it
// says it found no program (or no file), reaches failedLater. Without
// xdg-open, QDesktopServices with the process's current folder switched to
// the working folder while it starts the handler.
class DesktopOpener final : public ShellOpener {
public:
    OpenResult Open(const std::string& path, const std::string& workingFolder,
                    OpenFailedLater failedLater = {}) override;
};

}  // namespace htmlimglist
