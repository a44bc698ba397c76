#pragma once

#include "engine/io/IReadableFile.h"

namespace oskel {

// A file over one caller buffer of fixed size, readable and writable; reading and writing share
// one position. The buffer is deleted (as an array) with the file only when asked.
class CMemoryFile : public IReadableFile, public IWritableFile {
public:
    CMemoryFile(void* buffer, s32 size, const stringc& name, bool deleteWhenDropped);
    ~CMemoryFile() override;

    s32 read(void* buffer, u32 byteCount) override;
    s32 write(const void* buffer, u32 byteCount) override;
    // A target before the start or beyond the size is refused.
    bool seek(long position, bool relative = false) override;
    s32 getSize() const override { return m_size; }
    s32 getPos() const override { return m_pos; }
    const stringc& getFileName() const override { return m_name; }

private:
    u8* m_buffer;
    s32 m_size;
    s32 m_pos = 0;
    stringc m_name;
    bool m_deleteWhenDropped;
};

// A readable and writable file in memory that grows with every write, kept in blocks of a fixed
// size. Its size is the highest position ever written.
class CVirtualFile : public IReadableFile, public IWritableFile {
public:
    explicit CVirtualFile(const stringc& name, u32 blockSize = 65536);
    ~CVirtualFile() override;

    s32 read(void* buffer, u32 byteCount) override;
    // Allocates the blocks the write needs; on failure logs and writes nothing (0).
    s32 write(const void* buffer, u32 byteCount) override;
    bool seek(long position, bool relative = false) override;
    s32 getSize() const override { return m_size; }
    s32 getPos() const override { return m_pos; }
    const stringc& getFileName() const override { return m_name; }

    u32 getBlockCount() const { return m_blocks.size(); }
    u32 getBlockSize() const { return m_blockSize; }

private:
    array<u8*> m_blocks;
    u32 m_blockSize;
    s32 m_size = 0;
    s32 m_pos = 0;
    stringc m_name;
};

}  // namespace oskel
