#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <random>

#include "platform/Path.h"

namespace htmlimglist {
namespace {

// The parts of a temporary file's name, shared by the writer and the checker.
constexpr char kHiddenMark = '.';
constexpr std::size_t kMaxNamePart = 200;
// Only this tool writes the tag; the random part keeps concurrent writers
// (threads, processes, hosts sharing a folder) apart.
constexpr std::string_view kOwnTag = ".htmlimglist-";
constexpr std::size_t kRandomHexDigits = 16;
constexpr std::string_view kTemporarySuffix = ".tmp";

std::string TemporaryName(const std::string& path) {
    if (path.find('/') == std::string::npos) return TemporaryFileName(path);
    return JoinPath(CutAtLastSeparator(path), TemporaryFileName(NameAfterLastSeparator(path)));
}

bool IsLowerHex(std::string_view s) {
    return s.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(std::size_t(n));
    }
    return true;
}

}  // namespace

std::string TemporaryFileName(std::string_view targetName) {
    thread_local std::mt19937_64 rng{(uint64_t(std::random_device{}()) << 32) ^ std::random_device{}()};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name;
    name.reserve(1 + kMaxNamePart + kOwnTag.size() + kRandomHexDigits + kTemporarySuffix.size());
    name += kHiddenMark;
    name += targetName.substr(0, kMaxNamePart);
    name += kOwnTag;
    uint64_t random = rng();
    for (std::size_t i = 0; i < kRandomHexDigits; ++i, random >>= 4) name += kHex[random & 0xF];
    name += kTemporarySuffix;
    return name;
}

bool IsTemporaryFileName(std::string_view name) {
    if (name.empty() || name.front() != kHiddenMark) return false;
    name.remove_prefix(1);
    if (!name.ends_with(kTemporarySuffix)) return false;
    name.remove_suffix(kTemporarySuffix.size());
    // Read from the end: the name part may hold the tag's characters too.
    if (name.size() < kRandomHexDigits || !IsLowerHex(name.substr(name.size() - kRandomHexDigits))) return false;
    name.remove_suffix(kRandomHexDigits);
    if (!name.ends_with(kOwnTag)) return false;
    name.remove_suffix(kOwnTag.size());
    return !name.empty() && name.size() <= kMaxNamePart;
}

int RemoveStaleTemporaryFiles(const std::string& folder, std::chrono::seconds olderThan) {
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return 0;
    DIR* dir = fdopendir(dirFd);
    if (dir == nullptr) {
        close(dirFd);
        return 0;
    }
    const auto cutoff = std::chrono::system_clock::now() - olderThan;
    int removed = 0;
    while (dirent* e = readdir(dir)) {
        if (!IsTemporaryFileName(e->d_name)) continue;
        struct stat st;
        if (fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        const auto written = std::chrono::system_clock::from_time_t(st.st_mtim.tv_sec) +
                             std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                 std::chrono::nanoseconds(st.st_mtim.tv_nsec));
        // unlinkat without AT_REMOVEDIR never takes a folder, and takes a
        // symlink put there since the lstat as the link alone.
        if (written < cutoff && unlinkat(dirFd, e->d_name, 0) == 0) ++removed;
    }
    closedir(dir);
    return removed;
}

bool WriteFileAtomically(const std::string& path, std::string_view data, Durability durability) {
    struct stat old;
    bool hadOld = stat(path.c_str(), &old) == 0;
    if (hadOld && !S_ISREG(old.st_mode)) {
        errno = S_ISDIR(old.st_mode) ? EISDIR : EEXIST;
        return false;
    }

    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = TemporaryName(path);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool ok = WriteAll(fd, data);
    if (ok && hadOld) ok = fchmod(fd, old.st_mode & 07777) == 0;
    if (ok && durability == Durability::Flush) ok = fsync(fd) == 0;
    int saved = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        errno = saved;
    }
    return ok;
}

}  // namespace htmlimglist
