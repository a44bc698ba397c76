#pragma once

#include <memory>

#include "engine/io/IReadableFile.h"

namespace oskel {

// The bytes of a whole file, shared by the readers made on it. A streamed sound decodes from
// a copy of its own, so the worker thread never touches a file handle that the main thread
// (or an archive) also uses.
class CSharedFileData : public virtual IReferenceCounted {
public:
    // A copy of the whole file (the caller holds its creation reference); none when the file is
    // empty or cannot be read or held in memory. Reads from the file's start.
    static CSharedFileData* readAll(IReadableFile* file);

    const u8* getData() const { return m_data.get(); }
    s32 getSize() const { return m_size; }
    const stringc& getName() const { return m_name; }

    // A new reader at position 0 (the caller holds its creation reference).
    [[nodiscard]] IReadableFile* createReader();

private:
    CSharedFileData(std::unique_ptr<u8[]> data, s32 size, const stringc& name)
        : m_data(std::move(data)), m_size(size), m_name(name) {}

    std::unique_ptr<u8[]> m_data;
    s32 m_size;
    stringc m_name;
};

}  // namespace oskel
