#include "engine/io/CCryptedArchive.h"

#include <cstdint>
#include <memory>
#include <new>

#include "engine/core/CLogger.h"
#include "engine/io/ByteOrder.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/PathUtils.h"

namespace oskel {

namespace {

// The smallest record: a name length, an empty name, an offset and a size.
constexpr u32 MinRecordSize = 2 + 4 + 4;

}  // namespace

u32 xorKeyStream(u8* buffer, u32 length, const stringc& key, u32 cursor) {
    const u32 keyLength = key.size();
    if (keyLength == 0) return cursor;
    if (cursor >= keyLength) cursor %= keyLength;
    const c8* k = key.c_str();
    for (u32 i = 0; i < length; ++i) {
        buffer[i] ^= static_cast<u8>(k[cursor]);
        if (++cursor == keyLength) cursor = 0;
    }
    return cursor;
}

u32 keyCursorAt(u32 offset, const stringc& key) {
    return key.empty() ? 0 : (offset - CCryptedArchive::HeaderSize) % key.size();
}

bool CCryptedArchive::hasMagic(const u8* header, u32 size) {
    return size >= 4 && header[0] == 'O' && header[1] == 'C' && header[2] == 'A' && header[3] == 0;
}

CCryptedArchive::CCryptedArchive(IReadableFile* file, const stringc& key, bool ignoreCase,
                                 bool ignorePaths)
    : m_file(file), m_key(key), m_ignoreCase(ignoreCase), m_ignorePaths(ignorePaths) {
    if (!m_file) return;
    m_file->grab();
    m_archiveName = toForwardSlashes(m_file->getFileName());
    if (!readDirectory()) m_entries.clear();
    sortArchiveEntries(m_entries);
}

CCryptedArchive::~CCryptedArchive() {
    if (m_file) m_file->drop();
}

bool CCryptedArchive::readDirectory() {
    u8 header[HeaderSize];
    if (!m_file->seek(0) || m_file->read(header, HeaderSize) != static_cast<s32>(HeaderSize) ||
        !hasMagic(header, HeaderSize))
        return false;
    const u32 tableOffset = readLE32(header + 4);
    const u32 count = readLE32(header + 8);
    const s32 fileSize = m_file->getSize();
    // Every record takes at least ten bytes: a count the table cannot hold is damage, found
    // before anything is read or kept.
    if (fileSize < 0 || tableOffset < HeaderSize || tableOffset > static_cast<u32>(fileSize) ||
        count > (static_cast<u32>(fileSize) - tableOffset) / MinRecordSize) {
        CLogger::instance().logHint("Damaged archive directory", m_archiveName.c_str(), LogError);
        return false;
    }
    if (!m_file->seek(static_cast<long>(tableOffset))) return false;
    u32 cursor = keyCursorAt(tableOffset, m_key);
    for (u32 i = 0; i < count; ++i) {
        if (!readEntry(cursor)) {
            CLogger::instance().log("Unable to read file description", LogInformation);
            return false;
        }
    }
    return true;
}

bool CCryptedArchive::readEntry(u32& cursor) {
    u8 lengthBytes[2];
    if (m_file->read(lengthBytes, 2) != 2) return false;
    cursor = xorKeyStream(lengthBytes, 2, m_key, cursor);
    const u32 nameLength = readLE16(lengthBytes);
    std::unique_ptr<u8[]> record(new (std::nothrow) u8[nameLength + 8]);
    if (!record || m_file->read(record.get(), nameLength + 8) != static_cast<s32>(nameLength + 8))
        return false;
    cursor = xorKeyStream(record.get(), nameLength + 8, m_key, cursor);

    const stringc name(reinterpret_cast<const c8*>(record.get()), nameLength);
    SArchiveEntry entry;
    entry.simpleName = makeArchiveLookupKey(name, m_ignoreCase, m_ignorePaths);
    entry.fullName = entry.simpleName;
    entry.dataOffset = readLE32(record.get() + nameLength);
    entry.dataSize = readLE32(record.get() + nameLength + 4);
    m_entries.push_back(entry);
    return true;
}

const SArchiveEntry* CCryptedArchive::getEntry(s32 index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size()) return nullptr;
    return &m_entries[static_cast<size_t>(index)];
}

s32 CCryptedArchive::findFile(const stringc& name) {
    return findSortedArchiveEntry(m_entries, makeArchiveLookupKey(name, m_ignoreCase, m_ignorePaths));
}

IReadableFile* CCryptedArchive::openFile(const stringc& name) {
    const s32 index = findFile(name);
    return index < 0 ? nullptr : openFile(index);
}

IReadableFile* CCryptedArchive::openFile(s32 index) {
    const SArchiveEntry* entry = getEntry(index);
    if (!entry || entry->dataSize == 0) return nullptr;
    // The data must lie inside the archive, after its header, before anything is allocated.
    const s32 fileSize = m_file->getSize();
    if (fileSize < 0 || entry->dataOffset < HeaderSize ||
        static_cast<uint64_t>(entry->dataOffset) + entry->dataSize > static_cast<u32>(fileSize)) {
        CLogger::instance().logHint("Damaged archive entry %s", entry->fullName.c_str(), LogError);
        return nullptr;
    }
    std::unique_ptr<u8[]> buffer(new (std::nothrow) u8[entry->dataSize]);
    if (!buffer) {
        CLogger::instance().logHint("Not enough memory for decompressing %s",
                                    entry->fullName.c_str(), LogError);
        return nullptr;
    }
    if (!m_file->seek(static_cast<long>(entry->dataOffset)) ||
        m_file->read(buffer.get(), entry->dataSize) != static_cast<s32>(entry->dataSize)) {
        CLogger::instance().logHint("Unable to read archive entry %s", entry->fullName.c_str(),
                                    LogError);
        return nullptr;
    }
    xorKeyStream(buffer.get(), entry->dataSize, m_key, keyCursorAt(entry->dataOffset, m_key));
    return new CMemoryFile(buffer.release(), static_cast<s32>(entry->dataSize), entry->fullName,
                           true);
}

bool CCryptedArchiveType::canLoadFile(IReadableFile* file) {
    if (!file || !file->seek(0)) return false;
    u8 header[CCryptedArchive::HeaderSize];
    const s32 got = file->read(header, CCryptedArchive::HeaderSize);
    file->seek(0);
    return got == static_cast<s32>(CCryptedArchive::HeaderSize) &&
           CCryptedArchive::hasMagic(header, CCryptedArchive::HeaderSize);
}

bool CCryptedArchiveType::canLoadName(const stringc& name) {
    return getFileExtension(name).equals_ignore_case("oca");
}

IArchive* CCryptedArchiveType::createArchive(IReadableFile* file, bool ignoreCase,
                                             bool ignorePaths) {
    if (!file || !file->seek(0)) return nullptr;
    return new CCryptedArchive(file, m_fileSystem ? m_fileSystem->getAssetsCryptKey() : stringc(),
                               ignoreCase, ignorePaths);
}

IArchive* CCryptedArchiveType::createArchive(const stringc& name, bool ignoreCase,
                                             bool ignorePaths) {
    if (!m_fileSystem) return nullptr;
    IReadableFile* file = m_fileSystem->createAndOpenFile(name);
    if (!file) return nullptr;
    IArchive* archive = createArchive(file, ignoreCase, ignorePaths);
    file->drop();
    return archive;
}

}  // namespace oskel
