#pragma once

// Helpers shared by the image codecs.

#include <vector>

#include "engine/core/CLogger.h"
#include "engine/io/IReadableFile.h"
#include "engine/image/CImage.h"

namespace oskel::imagecodec {

// The text after the last '.' of the name part (after the last '/' or '\') of the file name
// equals the extension, ignoring the case of ASCII letters.
bool hasExtension(const stringc& fileName, const char* extension);

// Logs msg with the file's name as hint.
void logFile(const char* msg, const IReadableFile* file, s32 level);

// The size rule of every loader: logs "Image size is not supported" (with the file's name) and
// gives false when the picture is empty, too large, or needs more than dataBytes bytes of pixel
// data (neededBytes; 0 skips that test).
bool checkImageSize(long long width, long long height, u32 bytesPerPixel,
                    unsigned long long neededBytes, unsigned long long dataBytes,
                    const IReadableFile* file);

// Bytes from the file's position to its end (0 when none).
unsigned long long bytesLeft(const IReadableFile* file);

// Reads exactly count bytes; false on a short read.
bool readExact(IReadableFile* file, void* buffer, u32 count);

// Reads count bytes into a new vector; false (empty vector) on a short read or no memory.
bool readBlock(IReadableFile* file, unsigned long long count, std::vector<u8>& out);

inline u16 le16(const u8* p) { return static_cast<u16>(p[0] | (p[1] << 8)); }
inline u32 le32(const u8* p) {
    return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8) | (static_cast<u32>(p[2]) << 16) |
           (static_cast<u32>(p[3]) << 24);
}
inline void put16(u8* p, u32 v) {
    p[0] = static_cast<u8>(v);
    p[1] = static_cast<u8>(v >> 8);
}
inline void put32(u8* p, u32 v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

}  // namespace oskel::imagecodec
