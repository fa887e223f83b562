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
    virtual OpenResult Open(const std::string& path) = 0;
};

// The desktop's own handler for the file's type (QDesktopServices).
class DesktopOpener final : public ShellOpener {
public:
    OpenResult Open(const std::string& path) override;
};

}  // namespace htmlimglist
