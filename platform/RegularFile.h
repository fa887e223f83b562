// Opening a file for reading only when it is a regular file, without ever
// blocking on what stands at the path instead.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <string>

namespace htmlimglist {

// An open file descriptor, closed when the object goes away. Move-only.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    // Gives up ownership: the caller closes the returned descriptor.
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    explicit operator bool() const { return fd_ >= 0; }

private:
    void Reset();
    int fd_ = -1;
};

// Opens path read-only when it is a regular file; info, when given, receives
// its stat. The open never blocks (O_NONBLOCK: a FIFO with no writer would
// otherwise wait forever) and never makes a terminal the controlling one;
// whatever turns out not to be a regular file (FIFO, device, socket, folder)
// is closed again before anything is read, with errno = EINVAL. On failure
// the result is empty and errno says why.
UniqueFd OpenRegularFile(const std::string& path, struct stat* info = nullptr);

// OpenRegularFile as a stdio stream for reading (for the image libraries
// that read through one); null on failure, with errno saying why.
std::FILE* OpenRegularStream(const std::string& path);

}  // namespace htmlimglist
