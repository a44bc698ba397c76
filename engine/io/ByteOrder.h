#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {

// Little-endian numbers read from a byte buffer.
inline u16 readLE16(const u8* p) { return static_cast<u16>(p[0] | (p[1] << 8)); }
inline u32 readLE32(const u8* p) {
    return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8) |
           (static_cast<u32>(p[2]) << 16) | (static_cast<u32>(p[3]) << 24);
}

}  // namespace oskel
