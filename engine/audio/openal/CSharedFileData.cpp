#include "engine/audio/openal/CSharedFileData.h"

#include <cstring>
#include <new>

#include "engine/core/CRefPtr.h"

namespace oskel {

namespace {

// A read-only file over shared bytes, with a position of its own.
class CSharedFileReader : public IReadableFile {
public:
    explicit CSharedFileReader(CSharedFileData* data) : m_data(data) {}

    s32 read(void* buffer, u32 byteCount) override {
        if (!buffer || m_pos >= m_data->getSize()) return 0;
        const u32 left = static_cast<u32>(m_data->getSize() - m_pos);
        const u32 count = byteCount < left ? byteCount : left;
        std::memcpy(buffer, m_data->getData() + m_pos, count);
        m_pos += static_cast<s32>(count);
        return static_cast<s32>(count);
    }
    bool seek(long position, bool relative) override {
        const long long target = relative ? static_cast<long long>(m_pos) + position : position;
        if (target < 0 || target > m_data->getSize()) return false;
        m_pos = static_cast<s32>(target);
        return true;
    }
    s32 getSize() const override { return m_data->getSize(); }
    s32 getPos() const override { return m_pos; }
    const stringc& getFileName() const override { return m_data->getName(); }

private:
    CRefPtr<CSharedFileData> m_data;
    s32 m_pos = 0;
};

}  // namespace

CSharedFileData* CSharedFileData::readAll(IReadableFile* file) {
    if (!file) return nullptr;
    const s32 size = file->getSize();
    if (size <= 0 || !file->seek(0)) return nullptr;
    std::unique_ptr<u8[]> data(new (std::nothrow) u8[static_cast<size_t>(size)]);
    if (!data) return nullptr;
    s32 done = 0;
    while (done < size) {
        const s32 got = file->read(data.get() + done, static_cast<u32>(size - done));
        if (got <= 0) break;
        done += got;
    }
    if (done <= 0) return nullptr;
    return new CSharedFileData(std::move(data), done, file->getFileName());
}

IReadableFile* CSharedFileData::createReader() { return new CSharedFileReader(this); }

}  // namespace oskel
