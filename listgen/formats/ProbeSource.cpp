#include "listgen/formats/ProbeSource.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/RegularFile.h"

namespace htmlimglist {

std::size_t MemoryProbeSource::ReadAt(int64_t offset, void* buffer, std::size_t n) {
    if (offset < 0 || offset >= int64_t(bytes_.size())) return 0;
    std::size_t count = std::min(n, bytes_.size() - std::size_t(offset));
    std::memcpy(buffer, bytes_.data() + offset, count);
    return count;
}

bool FileProbeSource::Open(const std::string& path) {
    Close();
    struct stat st;
    fd_ = OpenRegularFile(path, &st);
    if (!fd_) return false;
    size_ = st.st_size;
    windowStart_ = 0;
    windowLength_ = 0;
    return true;
}

void FileProbeSource::Close() {
    fd_ = UniqueFd();
    size_ = 0;
    windowLength_ = 0;
}

std::size_t FileProbeSource::ReadAt(int64_t offset, void* buffer, std::size_t n) {
    if (!fd_ || offset < 0 || n == 0) return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        int64_t at = offset + int64_t(done);
        if (at >= windowStart_ && at < windowStart_ + int64_t(windowLength_)) {
            std::size_t from = std::size_t(at - windowStart_);
            std::size_t count = std::min(n - done, windowLength_ - from);
            std::memcpy(out + done, window_ + from, count);
            done += count;
            continue;
        }
        // Refill the window at the requested offset; near the end of the file
        // the window ends at the end instead, so a small file is read whole
        // by the first refill and the header and the tail share one read.
        int64_t start = at;
        if (at + int64_t(kWindow) > size_) start = std::max<int64_t>(0, size_ - int64_t(kWindow));
        if (start > at) start = at;
        ssize_t got;
        do {
            got = pread(fd_.get(), window_, kWindow, start);
        } while (got < 0 && errno == EINTR);
        windowStart_ = start;
        windowLength_ = got > 0 ? std::size_t(got) : 0;
        if (windowStart_ + int64_t(windowLength_) <= at) break;
    }
    return done;
}

}  // namespace htmlimglist
