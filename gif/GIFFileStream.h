// A buffered read-only stream over a file. The file's size is taken when it
// is opened; the reader goes through it a byte or a sub-block at a time, so
// reads are served from a 64 KiB window. Reads never move the file's own
// offset, so a reopened stream shares the open file, not a copy of it.
#pragma once

#include <string>
#include <vector>

#include "gif/GIFStream.h"
#include "platform/RegularFile.h"

namespace htmlimglist {

class TGIFFileStream final : public TGIFStream {
public:
    // Opens path for reading; raises GIFException when it cannot be opened.
    explicit TGIFFileStream(const std::string& path);
    ~TGIFFileStream() override;
    TGIFFileStream(const TGIFFileStream&) = delete;
    TGIFFileStream& operator=(const TGIFFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Position() const override { return position_; }
    int64_t Size() const override { return size_; }
    // A stream over the same open file (its descriptor duplicated) with a
    // window of its own; raises GIFException when no descriptor is left.
    std::shared_ptr<TGIFStream> Reopen() override;

private:
    TGIFFileStream(int fd, int64_t size, std::string path);

    std::string path_;
    UniqueFd fd_;
    int64_t size_ = 0;
    int64_t position_ = 0;
    std::vector<uint8_t> window_;  // bytes of the file from windowStart_ on
    int64_t windowStart_ = 0;
};

}  // namespace htmlimglist
