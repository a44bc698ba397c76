#pragma once

#include <vector>

#include "engine/io/IReadableFile.h"

namespace oskel {

class IArchive;

// One entry of an archive's directory.
struct SArchiveEntry {
    // The name compared by lookups (lower-cased and reduced to the file-name part as the
    // archive's flags ask).
    stringc simpleName;
    // The folder part of the stored name with its final '/'; empty when there is none.
    stringc path;
    // The stored name ('/' separators; lower-cased with ignore case).
    stringc fullName;
    // Where the entry's data starts in the archive file, and its stored length.
    u32 dataOffset = 0;
    u32 dataSize = 0;
};

// An archive kind: recognises archives by name or by content and opens them. Owned by the file
// system, which it points back to.
class IArchiveType : public virtual IReferenceCounted {
public:
    ~IArchiveType() override = default;

    // Recognises an archive by its content, reading from the current position.
    virtual bool canLoadFile(IReadableFile* file) = 0;
    virtual bool canLoadName(const stringc& name) = 0;
    [[nodiscard]] virtual IArchive* createArchive(IReadableFile* file, bool ignoreCase, bool ignorePaths) = 0;
    [[nodiscard]] virtual IArchive* createArchive(const stringc& name, bool ignoreCase, bool ignorePaths) = 0;
};

// A mounted archive: a named collection of files.
class IArchive : public virtual IReferenceCounted {
public:
    ~IArchive() override = default;

    // The archive file's name with '/' separators, or a folder archive's base path.
    virtual const stringc& getArchiveName() const = 0;
    // "zip", "mount" or "oca".
    virtual const stringc& getTypeName() const = 0;
    virtual u32 getFileCount() const = 0;
    // A new file (the caller holds its reference), or null.
    virtual IReadableFile* openFile(s32 index) = 0;
    virtual IReadableFile* openFile(const stringc& name) = 0;
    // The entry's index, or -1.
    virtual s32 findFile(const stringc& name) = 0;
    // The entry, or null when the index is out of range.
    virtual const SArchiveEntry* getEntry(s32 index) const = 0;
};

// The order of entry names: byte by byte as signed 8-bit values, a prefix before the longer
// name. Negative, zero or positive.
int compareArchiveNames(const stringc& a, const stringc& b);

// The key a stored or looked-up name is compared by: separators as '/', lower-cased with
// ignoreCase, reduced to the file-name part with ignorePaths.
stringc makeArchiveLookupKey(const stringc& name, bool ignoreCase, bool ignorePaths);

// Sorts entries by simple name (entries with equal names keep their stored order).
template <class Entry>
void sortArchiveEntries(std::vector<Entry>& entries);

// The index of the first entry whose simple name equals the key in a sorted list, or -1.
template <class Entry>
s32 findSortedArchiveEntry(const std::vector<Entry>& entries, const stringc& key);

}  // namespace oskel

#include "engine/io/IArchive.inl"
