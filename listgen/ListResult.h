// What became of one page: the answer of FolderListWriter::MakeList.
#pragma once

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

    bool saved() const { return status == PageStatus::Saved; }
};

}  // namespace htmlimglist
