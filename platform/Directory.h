// Directory search: the entries of one folder, in a stable order.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace htmlimglist {

enum class EntryKind { File, Folder };

struct DirEntry {
    std::string name;    // as the file system gives it (UTF-8 on our systems)
    int64_t size = 0;    // file length in bytes; 0 for folders
    time_t mtime = 0;    // last-write time, seconds since the epoch
    int64_t mtimeNs = 0; // the same to the nanosecond
    EntryKind kind = EntryKind::File;
};

enum class FolderEntries { FilesOnly, FilesAndFolders };

// Lists folder. Names starting with "." count as hidden and are left out, and
// so is anything that is neither a regular file nor a folder once symlinks are
// followed (devices, FIFOs, sockets and dangling links are never opened).
// Entries are sorted by name, ASCII letters compared without regard to case,
// ties broken by the raw bytes, so pages do not depend on the file system's
// order. Returns false when the folder cannot be read; entries is then empty.
bool ListFolder(const std::string& folder, FolderEntries which, std::vector<DirEntry>& entries);

// Name order used by ListFolder: negative, zero or positive like strcmp.
int CompareNames(const std::string& a, const std::string& b);

// What exists at path once symlinks are followed, without opening it.
enum class PathKind { Missing, File, Folder, Other };
PathKind KindOfPath(const std::string& path);
// True when path itself is a symbolic link (whether or not it leads anywhere).
bool IsSymbolicLink(const std::string& path);

// True when both paths name the same file once symlinks are followed.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace htmlimglist
