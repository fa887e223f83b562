// The byte stream the GIF reader works on: read, seek, position and size.
// Files and memory blocks both provide it, so tests and fuzzers can feed the
// reader bytes built in code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace htmlimglist {

enum class TSeekOrigin { Beginning, Current, End };

class TGIFStream {
public:
    virtual ~TGIFStream() = default;

    // Copies up to count bytes to buffer and answers how many came; fewer
    // than count only at the end of the stream.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Moves the position and answers the new one. Positions are kept within
    // 0..Size(), so a seek past the end stands at the end.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Position() const = 0;
    virtual int64_t Size() const = 0;

    // A stream of its own over the same bytes (same positions), which may
    // outlive this one: frames whose pixels are decoded after the load read
    // their image data through it. This stream's position is unchanged.
    // The default copies every byte into memory; file and memory streams
    // share what they read instead.
    virtual std::shared_ptr<TGIFStream> Reopen();
};

}  // namespace htmlimglist
