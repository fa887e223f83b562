#include "platform/RegularFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace htmlimglist {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        Reset();
        fd_ = other.release();
    }
    return *this;
}

void UniqueFd::Reset() {
    if (fd_ < 0) return;
    int saved = errno;  // a failed open's reason outlives the close
    close(fd_);
    errno = saved;
    fd_ = -1;
}

UniqueFd OpenRegularFile(const std::string& path, struct stat* info) {
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) return {};
    struct stat st;
    if (fstat(fd.get(), &st) != 0) return {};
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return {};
    }
    if (info != nullptr) *info = st;
    return fd;
}

std::FILE* OpenRegularStream(const std::string& path) {
    UniqueFd fd = OpenRegularFile(path);
    if (!fd) return nullptr;
    std::FILE* file = fdopen(fd.get(), "rb");
    if (file != nullptr) fd.release();  // fclose closes it now
    return file;
}

}  // namespace htmlimglist
