#include "gif/GIFFileStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "gif/GIFException.h"
#include "platform/RegularFile.h"

namespace htmlimglist {
namespace {
constexpr std::size_t kWindowSize = 64 * 1024;
}

TGIFFileStream::TGIFFileStream(const std::string& path) : path_(path) {
    // A FIFO put where a GIF was must not block the open; it is refused as
    // not a regular file.
    struct stat st {};
    fd_ = OpenRegularFile(path, &st);
    if (!fd_) GIFError("Cannot open file \"" + path + "\"");
    size_ = st.st_size;
}

TGIFFileStream::TGIFFileStream(int fd, int64_t size, std::string path)
    : path_(std::move(path)), fd_(fd), size_(size) {}

std::shared_ptr<TGIFStream> TGIFFileStream::Reopen() {
    int fd = fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) GIFError("Cannot open file \"" + path_ + "\"");
    return std::shared_ptr<TGIFStream>(new TGIFFileStream(fd, size_, path_));
}

TGIFFileStream::~TGIFFileStream() = default;

std::size_t TGIFFileStream::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < count && position_ < size_) {
        int64_t offset = position_ - windowStart_;
        if (offset < 0 || offset >= static_cast<int64_t>(window_.size())) {
            // Refill the window at the current position.
            window_.resize(kWindowSize);
            ssize_t got;
            do {
                got = pread(fd_.get(), window_.data(), kWindowSize, position_);
            } while (got < 0 && errno == EINTR);
            if (got <= 0) {
                window_.clear();
                break;  // the file shrank or cannot be read: treat as its end
            }
            window_.resize(static_cast<std::size_t>(got));
            windowStart_ = position_;
            offset = 0;
        }
        std::size_t n = std::min(count - done, window_.size() - static_cast<std::size_t>(offset));
        std::memcpy(out + done, window_.data() + offset, n);
        done += n;
        position_ += static_cast<int64_t>(n);
    }
    return done;
}

int64_t TGIFFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == TSeekOrigin::Beginning ? 0
                   : origin == TSeekOrigin::Current ? position_
                                                    : size_;
    position_ = std::clamp<int64_t>(base + offset, 0, size_);
    return position_;
}

}  // namespace htmlimglist
