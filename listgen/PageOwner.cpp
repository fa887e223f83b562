#include "listgen/PageOwner.h"

#include "listgen/GalleryPage.h"
#include "platform/TextEncoding.h"

namespace htmlimglist {
namespace {

// Bytes of a page read to tell whose it is: the table page's frame and
// folder line, or the gallery page's head up to its title.
constexpr std::size_t kPageHeadBytes = 4096;

}  // namespace

PageOwner OwnerOfPage(ProbeSource& page, const std::string& folderName) {
    std::string head(kPageHeadBytes, '\0');
    head.resize(page.ReadAt(0, head.data(), head.size()));
    if (head.starts_with(kGalleryPageStart)) {
        const std::size_t generator = head.find(kGalleryGenerator);
        const std::size_t title = head.find("<title>");
        if (generator == std::string::npos || title == std::string::npos || title < generator)
            return PageOwner::NotOurs;
        const std::string expected = "<title>" + GalleryText(folderName) + "</title>";
        return head.compare(title, expected.size(), expected) == 0 ? PageOwner::ThisFolder : PageOwner::OtherFolder;
    }
    std::size_t at = 0;
    auto line = [&](std::string_view& out) {
        const std::size_t end = head.find("\r\n", at);
        if (end == std::string::npos) return false;
        out = std::string_view(head).substr(at, end - at);
        at = end + 2;
        return true;
    };
    std::string_view text;
    for (std::string_view expected : kTablePageFrame) {
        if (!line(text) || text != expected) return PageOwner::NotOurs;
    }
    if (!line(text) || text.substr(0, kFolderLine.size()) != kFolderLine) return PageOwner::NotOurs;
    return text.substr(kFolderLine.size()) == PageText(folderName) ? PageOwner::ThisFolder : PageOwner::OtherFolder;
}

}  // namespace htmlimglist
