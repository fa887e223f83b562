// Small reading steps shared by the parts of the GIF reader. Library
// internal: not for callers of the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gif/GIFException.h"
#include "gif/GIFStream.h"

namespace htmlimglist::gifread {

// One byte; false at the end of the stream.
inline bool ReadByte(TGIFStream& stream, uint8_t& value) { return stream.Read(&value, 1) == 1; }

// Exactly count bytes, or "Premature end of data". A short read is an error,
// never silently zero.
inline void ReadExact(TGIFStream& stream, void* buffer, std::size_t count) {
    if (stream.Read(buffer, count) != count) GIFError(gifmsg::kPrematureEnd);
}

inline void StepBack(TGIFStream& stream) { stream.Seek(-1, TSeekOrigin::Current); }

inline void Skip(TGIFStream& stream, int64_t count) { stream.Seek(count, TSeekOrigin::Current); }

inline int64_t BytesLeft(const TGIFStream& stream) { return stream.Size() - stream.Position(); }

// A chain of data sub-blocks (GIF89a section 15) as one string per block,
// each cut at its first zero byte. The end of the stream ends the chain.
std::vector<std::string> ReadSubBlockStrings(TGIFStream& stream);

// Steps over a chain of data sub-blocks up to and including its terminator,
// or to the end of the stream.
void SkipSubBlocks(TGIFStream& stream);

}  // namespace htmlimglist::gifread
