// The messages a run shows, as an identifier and the one path or name each is
// about. The core never words them: the window and the command line each
// turn them into their own text (and language).
#pragma once

#include <string>

namespace htmlimglist {

enum class RunMessageId {
    TooShallow,           // a continuous run from a folder too near the root
    TooShallowTwoLevels,  // the same, for the two-level layout of reduced runs
    SeriesEnd,            // argument: the numbered folder looked for and not found
    NotAFolder,           // argument: what should have been a folder
    FolderMissing,        // argument: a folder to list that does not exist
    PathTooLong,          // argument: the path
    SaveFailed,           // argument: the reduced copy that could not be written
    NotACopy,             // argument: a file kept because it is not a reduced copy
    CopyOfOtherFolder,    // argument: a reduced copy of another folder's image, kept
    CopyTooLarge,         // argument: a reduced copy not made because it would be too large
    CopyOverLimit,        // argument: a reduced copy not made because its source is too large; reason: why
    BadListName,          // argument: the list name (HTMLListName) that cannot name a page
    Unexpected,           // a fault no run expects; argument: what it said, if anything
};

struct RunMessage {
    RunMessageId id = RunMessageId::TooShallow;
    std::string argument;  // as the file system gives it (UTF-8, or any bytes)
    std::string reason;    // the system's reason, when there is one ("No space left on device")

    bool operator==(const RunMessage&) const = default;
};

}  // namespace htmlimglist
