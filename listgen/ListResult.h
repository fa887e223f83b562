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

struct ListResult {
    std::string folder;    // the folder listed
    std::string pagePath;
    PageStatus status = PageStatus::NotSaved;
    std::string why;       // empty when saved
    bool aborted = false;  // the abort command ended the page early
    // What the page holds and what became of its reduced copies (reduced
    // lists only): made now, kept as they stood (fresh copies, and files
    // that are not ours), and not made (a file in the way that is not a
    // copy, a source that cannot be decoded, a write that failed).
    int32_t cells = 0;
    int32_t copiesMade = 0;
    int32_t copiesKept = 0;
    int32_t copiesNotMade = 0;

    bool saved() const { return status == PageStatus::Saved; }
};

}  // namespace htmlimglist
