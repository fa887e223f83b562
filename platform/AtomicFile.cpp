#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>

#include "platform/Path.h"

namespace htmlimglist {
namespace {

std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 rng{std::random_device{}()};
    std::string folder = CutAtLastSeparator(path);
    std::string name = path.find('/') == std::string::npos ? path : NameAfterLastSeparator(path);
    std::string temp = "." + name.substr(0, 200) + "." + std::to_string(getpid()) + "." +
                       std::to_string(counter++) + "." + std::to_string(rng() % 100000) + ".tmp";
    return path.find('/') == std::string::npos ? temp : JoinPath(folder, temp);
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
