#include "engine/image/codecs/ImageCodecUtils.h"

#include <new>

namespace oskel::imagecodec {

namespace {
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool hasExtension(const stringc& fileName, const char* extension) {
    const char* name = fileName.c_str();
    const char* base = name;
    for (const char* p = name; *p; ++p)
        if (*p == '/' || *p == '\\') base = p + 1;
    const char* dot = nullptr;
    for (const char* p = base; *p; ++p)
        if (*p == '.') dot = p;
    if (!dot || !extension) return false;
    const char* a = dot + 1;
    const char* b = extension;
    for (; *a && *b; ++a, ++b)
        if (lowerAscii(*a) != lowerAscii(*b)) return false;
    return *a == 0 && *b == 0;
}

void logFile(const char* msg, const IReadableFile* file, s32 level) {
    CLogger::instance().logHint(msg, file ? file->getFileName().c_str() : "", level);
}

bool checkImageSize(long long width, long long height, u32 bytesPerPixel,
                    unsigned long long neededBytes, unsigned long long dataBytes,
                    const IReadableFile* file) {
    if (!isImageSizeAllowed(width, height, bytesPerPixel)) {
        logFile("Image size is not supported", file, LogError);
        return false;
    }
    if (neededBytes > dataBytes) {
        logFile("Image file is shorter than its pixel data", file, LogError);
        return false;
    }
    return true;
}

unsigned long long bytesLeft(const IReadableFile* file) {
    const s32 size = file->getSize(), pos = file->getPos();
    return (size > pos && pos >= 0) ? static_cast<unsigned long long>(size - pos) : 0ull;
}

bool readExact(IReadableFile* file, void* buffer, u32 count) {
    if (count == 0) return true;
    return file->read(buffer, count) == static_cast<s32>(count);
}

bool readBlock(IReadableFile* file, unsigned long long count, std::vector<u8>& out) {
    out.clear();
    if (count > 0x7FFFFFFFull) return false;
    try {
        out.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!readExact(file, out.data(), static_cast<u32>(count))) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace oskel::imagecodec
