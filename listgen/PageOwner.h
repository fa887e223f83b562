// Which page a run may replace: only one this tool wrote for the same
// folder. A table page is told by the lines it always begins with and by its
// folder line, which names the folder; a gallery page by its generator line
// and its title, the folder's name.
#pragma once

#include <string>
#include <string_view>

#include "listgen/formats/Registry.h"

namespace htmlimglist {

// The lines every table page of this tool begins with, and the start of the
// folder line that follows them.
inline constexpr std::string_view kTablePageFrame[] = {
    "<html>",
    "<head>",
    "   <meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">",
    "   <meta name=\"GENERATOR\" content=\"Rokuza Ver2.00\">",
    "</head>",
    "<body>",
};
inline constexpr std::string_view kFolderLine = "Folder Name: ";

enum class PageOwner {
    ThisFolder,   // this tool's page of the folder
    OtherFolder,  // this tool's page of another folder
    NotOurs,      // anything else: the user's own page, a cut page, any other file
};

// Whose page the bytes of page are, for the folder named folderName.
PageOwner OwnerOfPage(ProbeSource& page, const std::string& folderName);

}  // namespace htmlimglist
