#include "engine/io/CMemoryFile.h"

#include <cstring>
#include <limits>
#include <new>

#include "engine/core/CLogger.h"

namespace oskel {

CMemoryFile::CMemoryFile(void* buffer, s32 size, const stringc& name, bool deleteWhenDropped)
    : m_buffer(static_cast<u8*>(buffer)),
      m_size(size < 0 ? 0 : size),
      m_name(name),
      m_deleteWhenDropped(deleteWhenDropped) {}

CMemoryFile::~CMemoryFile() {
    if (m_deleteWhenDropped) delete[] m_buffer;
}

s32 CMemoryFile::read(void* buffer, u32 byteCount) {
    if (!buffer || !m_buffer || m_pos >= m_size) return 0;
    const u32 left = static_cast<u32>(m_size - m_pos);
    const u32 count = byteCount < left ? byteCount : left;
    std::memcpy(buffer, m_buffer + m_pos, count);
    m_pos += static_cast<s32>(count);
    return static_cast<s32>(count);
}

s32 CMemoryFile::write(const void* buffer, u32 byteCount) {
    if (!buffer || !m_buffer || m_pos >= m_size) return 0;
    const u32 left = static_cast<u32>(m_size - m_pos);
    const u32 count = byteCount < left ? byteCount : left;
    std::memcpy(m_buffer + m_pos, buffer, count);
    m_pos += static_cast<s32>(count);
    return static_cast<s32>(count);
}

bool CMemoryFile::seek(long position, bool relative) {
    const long target = clampedSeekTarget(position, relative, m_pos, m_size);
    if (target < 0) return false;
    m_pos = static_cast<s32>(target);
    return true;
}

CVirtualFile::CVirtualFile(const stringc& name, u32 blockSize)
    : m_blockSize(blockSize ? blockSize : 1), m_name(name) {}

CVirtualFile::~CVirtualFile() {
    for (u32 i = 0; i < m_blocks.size(); ++i) delete[] m_blocks[i];
}

s32 CVirtualFile::read(void* buffer, u32 byteCount) {
    if (!buffer || m_pos >= m_size) return 0;
    const u32 left = static_cast<u32>(m_size - m_pos);
    u32 count = byteCount < left ? byteCount : left;
    const u32 total = count;
    u8* out = static_cast<u8*>(buffer);
    u32 pos = static_cast<u32>(m_pos);
    while (count > 0) {
        const u32 block = pos / m_blockSize, offset = pos % m_blockSize;
        const u32 chunk = count < m_blockSize - offset ? count : m_blockSize - offset;
        std::memcpy(out, m_blocks[block] + offset, chunk);
        out += chunk;
        pos += chunk;
        count -= chunk;
    }
    m_pos = static_cast<s32>(pos);
    return static_cast<s32>(total);
}

s32 CVirtualFile::write(const void* buffer, u32 byteCount) {
    if (!buffer || byteCount == 0) return 0;
    // The size is a signed 32-bit count: a write that would pass it is refused.
    const unsigned long long end = static_cast<unsigned long long>(m_pos) + byteCount;
    if (end > static_cast<unsigned long long>(std::numeric_limits<s32>::max())) {
        CLogger::instance().logHint("Not enough memory for write data in virtualFile %s",
                                    m_name.c_str(), LogError);
        return 0;
    }
    const unsigned long long capacity = static_cast<unsigned long long>(m_blockSize) * m_blocks.size();
    if (end >= capacity) {
        const unsigned long long wanted = end / m_blockSize + 1;
        while (m_blocks.size() < wanted) {
            u8* block = new (std::nothrow) u8[m_blockSize];
            if (!block) {
                CLogger::instance().logHint("Not enough memory for write data in virtualFile %s",
                                            m_name.c_str(), LogError);
                return 0;
            }
            m_blocks.push_back(block);
        }
    }
    const u8* in = static_cast<const u8*>(buffer);
    u32 pos = static_cast<u32>(m_pos);
    u32 count = byteCount;
    while (count > 0) {
        const u32 block = pos / m_blockSize, offset = pos % m_blockSize;
        const u32 chunk = count < m_blockSize - offset ? count : m_blockSize - offset;
        std::memcpy(m_blocks[block] + offset, in, chunk);
        in += chunk;
        pos += chunk;
        count -= chunk;
    }
    m_pos = static_cast<s32>(pos);
    if (m_pos > m_size) m_size = m_pos;
    return static_cast<s32>(byteCount);
}

bool CVirtualFile::seek(long position, bool relative) {
    const long target = clampedSeekTarget(position, relative, m_pos, m_size);
    if (target < 0) return false;
    m_pos = static_cast<s32>(target);
    return true;
}

}  // namespace oskel
