// The bytes the header probe reads: a regular file or a block of memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegularFile.h"

namespace htmlimglist {

class ProbeSource {
public:
    virtual ~ProbeSource() = default;
    // Total length in bytes.
    virtual int64_t Size() const = 0;
    // Copies up to n bytes from offset; returns how many arrived (0 at or
    // past the end, or on a read error).
    virtual std::size_t ReadAt(int64_t offset, void* buffer, std::size_t n) = 0;
};

class MemoryProbeSource final : public ProbeSource {
public:
    explicit MemoryProbeSource(std::string_view bytes) : bytes_(bytes) {}
    int64_t Size() const override { return int64_t(bytes_.size()); }
    std::size_t ReadAt(int64_t offset, void* buffer, std::size_t n) override;

private:
    std::string_view bytes_;
};

// A regular file, opened without blocking: FIFOs, devices and sockets are
// refused before anything is read. Reads go through a small window so that a
// walk over many small segment headers costs a few system calls.
class FileProbeSource final : public ProbeSource {
public:
    FileProbeSource() = default;
    FileProbeSource(const FileProbeSource&) = delete;
    FileProbeSource& operator=(const FileProbeSource&) = delete;

    // False when path is not a regular file or cannot be opened for reading.
    bool Open(const std::string& path);
    void Close();

    int64_t Size() const override { return size_; }
    std::size_t ReadAt(int64_t offset, void* buffer, std::size_t n) override;

private:
    static constexpr std::size_t kWindow = 4096;
    UniqueFd fd_;
    int64_t size_ = 0;
    int64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
    unsigned char window_[kWindow];
};

}  // namespace htmlimglist
