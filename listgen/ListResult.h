// What became of one page: the answer of FolderListWriter::MakeList.
#pragma once

#include <cstdint>
#include <string>

namespace htmlimglist {

enum class PageStatus {
    Saved,             // the page was written
    NotSaved,          // writing it failed (why: the system's reason)
    Refused,           // it would have replaced one of the folder's files (why: which)
    FolderUnreadable,  // the folder could not be listed; nothing was written
};

// What keeps a page from being written where it belongs (Refused).
enum class PageObstacle {
    None,
    CopyName,         // a reduced copy of one of the folder's images goes by the page's name
    Image,            // an image (of any format the tool knows), or a file that begins like one
    NotAFile,         // a folder, a link or something else that is not a regular file
    OtherFolderPage,  // a page this tool wrote for another folder
    ForeignFile,      // a file this tool did not write (or cannot read to tell)
};

struct ListResult {
    std::string folder;    // the folder listed
    std::string pagePath;
    PageStatus status = PageStatus::NotSaved;
    std::string why;       // empty when saved
    PageObstacle obstacle = PageObstacle::None;  // with Refused: what is in the way
    bool aborted = false;  // the abort command ended the page early
    // What the page holds and what became of its reduced copies (reduced
    // lists only): made now, kept as they stood (fresh copies, and files
    // that are not ours), and not made (a file in the way that is not a
    // copy, a source that cannot be decoded, a write that failed).
    int32_t cells = 0;
    int32_t copiesMade = 0;
    int32_t copiesKept = 0;
    int32_t copiesNotMade = 0;
    // Short videos shown as the Live link of the still of their name.
    int32_t livePaired = 0;

    bool saved() const { return status == PageStatus::Saved; }
};

}  // namespace htmlimglist
