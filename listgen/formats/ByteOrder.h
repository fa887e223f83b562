// Numbers stored in file bytes, in either byte order. Callers check that the
// bytes are there first.
#pragma once

#include <cstdint>

namespace htmlimglist {

inline uint32_t BigEndian16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
inline uint32_t BigEndian32(const uint8_t* p) { return BigEndian16(p) << 16 | BigEndian16(p + 2); }
inline uint64_t BigEndian64(const uint8_t* p) { return uint64_t(BigEndian32(p)) << 32 | BigEndian32(p + 4); }
inline uint32_t LittleEndian16(const uint8_t* p) { return p[0] | uint32_t(p[1]) << 8; }
inline uint32_t LittleEndian24(const uint8_t* p) { return LittleEndian16(p) | uint32_t(p[2]) << 16; }
inline uint32_t LittleEndian32(const uint8_t* p) { return LittleEndian24(p) | uint32_t(p[3]) << 24; }

// Either order, as a TIFF block's header chooses it.
inline uint32_t Read16(const uint8_t* p, bool bigEndian) { return bigEndian ? BigEndian16(p) : LittleEndian16(p); }
inline uint32_t Read32(const uint8_t* p, bool bigEndian) { return bigEndian ? BigEndian32(p) : LittleEndian32(p); }

}  // namespace htmlimglist
