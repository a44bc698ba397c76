#include "engine/io/CDiskFile.h"

#include <climits>

#include "engine/core/CLogger.h"
#include "engine/platform/FileSystemPosix.h"

namespace oskel {

namespace {

// The size of an open stream, left at its start; -1 when it cannot be measured or does not fit.
long measureStream(FILE* stream) {
    if (std::fseek(stream, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(stream);
    if (std::fseek(stream, 0, SEEK_SET) != 0) return -1;
    return size;
}

}  // namespace

CDiskReadFile::CDiskReadFile(const stringc& diskName, const stringc& reportedName)
    : m_name(reportedName) {
    if (diskName.empty()) return;
    m_stream = platform::openRegularFileForReading(diskName.c_str());
    if (!m_stream) return;
    const long size = measureStream(m_stream);
    if (size < 0 || size > INT_MAX) {
        CLogger::instance().logHint("File is too large to be read", diskName.c_str(), LogError);
        std::fclose(m_stream);
        m_stream = nullptr;
        return;
    }
    m_size = static_cast<s32>(size);
}

CDiskReadFile::~CDiskReadFile() {
    if (m_stream) std::fclose(m_stream);
}

s32 CDiskReadFile::read(void* buffer, u32 byteCount) {
    if (!m_stream || !buffer) return 0;
    return static_cast<s32>(std::fread(buffer, 1, byteCount, m_stream));
}

bool CDiskReadFile::seek(long position, bool relative) {
    if (!m_stream) return false;
    return std::fseek(m_stream, position, relative ? SEEK_CUR : SEEK_SET) == 0;
}

s32 CDiskReadFile::getPos() const {
    if (!m_stream) return 0;
    const long pos = std::ftell(m_stream);
    return pos < 0 || pos > INT_MAX ? 0 : static_cast<s32>(pos);
}

CDiskWriteFile::CDiskWriteFile(const stringc& name, bool append) : m_name(name) {
    if (name.empty()) return;
    m_stream = platform::openFileForWriting(name.c_str(), append);
    if (!m_stream) return;
    if (append) {
        std::fseek(m_stream, 0, SEEK_END);
        const long size = std::ftell(m_stream);
        m_size = size < 0 || size > INT_MAX ? 0 : static_cast<s32>(size);
    }
}

CDiskWriteFile::~CDiskWriteFile() {
    if (m_stream) std::fclose(m_stream);
}

s32 CDiskWriteFile::write(const void* buffer, u32 byteCount) {
    if (!m_stream || !buffer) return 0;
    return static_cast<s32>(std::fwrite(buffer, 1, byteCount, m_stream));
}

bool CDiskWriteFile::seek(long position, bool relative) {
    if (!m_stream) return false;
    return std::fseek(m_stream, position, relative ? SEEK_CUR : SEEK_SET) == 0;
}

s32 CDiskWriteFile::getPos() const {
    if (!m_stream) return 0;
    const long pos = std::ftell(m_stream);
    return pos < 0 || pos > INT_MAX ? 0 : static_cast<s32>(pos);
}

CLimitReadFile::CLimitReadFile(IReadableFile* file, u32 start, u32 size, const stringc& name)
    : m_file(file), m_start(start), m_size(0), m_name(name) {
    if (m_file) {
        m_file->grab();
        // The window never reaches past the end of the file below it.
        const s32 fileSize = m_file->getSize();
        if (fileSize > 0 && start <= static_cast<u32>(fileSize)) {
            const u32 left = static_cast<u32>(fileSize) - start;
            m_size = static_cast<s32>(size < left ? size : left);
        }
    }
}

CLimitReadFile::~CLimitReadFile() {
    if (m_file) m_file->drop();
}

s32 CLimitReadFile::read(void* buffer, u32 byteCount) {
    if (!m_file || !buffer || m_pos >= m_size) return 0;
    const u32 left = static_cast<u32>(m_size - m_pos);
    const u32 count = byteCount < left ? byteCount : left;
    if (!m_file->seek(static_cast<long>(m_start) + m_pos)) return 0;
    const s32 got = m_file->read(buffer, count);
    if (got > 0) m_pos += got;
    return got > 0 ? got : 0;
}

bool CLimitReadFile::seek(long position, bool relative) {
    const long target = clampedSeekTarget(position, relative, m_pos, m_size);
    if (target < 0) return false;
    m_pos = static_cast<s32>(target);
    return true;
}

}  // namespace oskel
