#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {

// A file to read from: on the disk, in memory or inside an archive. Reference counted; the
// creator holds the first reference.
class IReadableFile : public virtual IReferenceCounted {
public:
    ~IReadableFile() override = default;

    // Reads up to byteCount bytes; returns the number read (0 at the end or on failure).
    virtual s32 read(void* buffer, u32 byteCount) = 0;
    // Moves to the position, or by it when relative; false (and no move) when refused.
    virtual bool seek(long position, bool relative = false) = 0;
    virtual s32 getSize() const = 0;
    virtual s32 getPos() const = 0;
    // The file's name as it was opened (archive-relative for files from archives).
    virtual const stringc& getFileName() const = 0;
};

// A file to write to.
class IWritableFile : public virtual IReferenceCounted {
public:
    ~IWritableFile() override = default;

    // Writes up to byteCount bytes; returns the number written.
    virtual s32 write(const void* buffer, u32 byteCount) = 0;
    virtual bool seek(long position, bool relative = false) = 0;
    virtual s32 getPos() const = 0;
    virtual const stringc& getFileName() const = 0;
};

// The target of a seek on a file of the size, or -1 when it lies outside [0, size]. Checked
// before adding, so that no offset can overflow.
inline long clampedSeekTarget(long position, bool relative, s32 current, s32 size) {
    if (relative) {
        if (position > static_cast<long>(size) - current || position < -static_cast<long>(current))
            return -1;
        return current + position;
    }
    if (position < 0 || position > size) return -1;
    return position;
}

}  // namespace oskel
