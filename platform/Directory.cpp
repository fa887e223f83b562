#include "platform/Directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace htmlimglist {
namespace {

// Letters fold to capitals, as on the file system the catalogues first came
// from: "_x" sorts after "a" and "Z", not before them.
unsigned char FoldAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

}  // namespace

int CompareNames(const std::string& a, const std::string& b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = FoldAscii(static_cast<unsigned char>(a[i]));
        unsigned char y = FoldAscii(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

bool ListFolder(const std::string& folder, FolderEntries which, std::vector<DirEntry>& entries) {
    entries.clear();
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return false;
    DIR* dir = fdopendir(dirFd);
    if (dir == nullptr) {
        close(dirFd);
        return false;
    }
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        struct stat st;
        if (fstatat(dirFd, e->d_name, &st, 0) != 0) continue;  // dangling link, vanished entry
        DirEntry entry;
        if (S_ISREG(st.st_mode)) {
            entry.kind = EntryKind::File;
            entry.size = st.st_size;
        } else if (S_ISDIR(st.st_mode) && which == FolderEntries::FilesAndFolders) {
            entry.kind = EntryKind::Folder;
        } else {
            continue;
        }
        entry.name = e->d_name;
        entry.mtime = st.st_mtime;
        entry.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
        entries.push_back(std::move(entry));
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return CompareNames(a.name, b.name) < 0; });
    return true;
}

PathKind KindOfPath(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return PathKind::Missing;
    if (S_ISREG(st.st_mode)) return PathKind::File;
    if (S_ISDIR(st.st_mode)) return PathKind::Folder;
    return PathKind::Other;
}

bool IsSymbolicLink(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace htmlimglist
