#include "engine/io/CZipArchive.h"

#include <zlib.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "engine/core/CLogger.h"
#include "engine/io/ByteOrder.h"
#include "engine/io/CDiskFile.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/PathUtils.h"

namespace oskel {

namespace {

constexpr u32 LocalHeaderSize = 30;
constexpr u32 CentralHeaderSize = 46;
constexpr u32 EndOfDirectorySize = 22;
// The end record lies within its own size plus the longest comment from the end.
constexpr u32 EndOfDirectorySearch = EndOfDirectorySize + 0xffff;
// Deflate cannot shrink data by more than about 1032 to 1: a larger claimed size is damage.
constexpr unsigned long long MaxDeflateRatio = 1032;

constexpr u16 FlagEncrypted = 0x1;
constexpr u16 FlagDataDescriptor = 0x8;
constexpr u16 MethodStored = 0;
constexpr u16 MethodDeflated = 8;

SZipLocalHeader parseLocalHeader(const u8* p) {
    SZipLocalHeader h;
    h.signature = readLE32(p);
    h.versionNeeded = readLE16(p + 4);
    h.flags = readLE16(p + 6);
    h.compressionMethod = readLE16(p + 8);
    h.lastModTime = readLE16(p + 10);
    h.lastModDate = readLE16(p + 12);
    h.crc32 = readLE32(p + 14);
    h.compressedSize = readLE32(p + 18);
    h.uncompressedSize = readLE32(p + 22);
    h.nameLength = readLE16(p + 26);
    h.extraLength = readLE16(p + 28);
    return h;
}

void logEntry(const char* text, const stringc& name) {
    CLogger::instance().logHint(text, name.c_str(), LogError);
}

}  // namespace

CZipArchive::CZipArchive(IReadableFile* file, bool ignoreCase, bool ignorePaths)
    : m_file(file), m_ignoreCase(ignoreCase), m_ignorePaths(ignorePaths) {
    if (!m_file) return;
    m_file->grab();
    m_archiveName = toForwardSlashes(m_file->getFileName());
    if (!readCentralDirectory()) {
        m_entries.clear();
        scanLocalHeaders();
    }
    sortArchiveEntries(m_entries);
}

CZipArchive::~CZipArchive() {
    if (m_file) m_file->drop();
}

bool CZipArchive::readAt(u32 offset, void* buffer, u32 count) {
    const s32 size = m_file->getSize();
    if (size < 0 || static_cast<unsigned long long>(offset) + count > static_cast<u32>(size))
        return false;
    if (!m_file->seek(static_cast<long>(offset))) return false;
    return count == 0 || m_file->read(buffer, count) == static_cast<s32>(count);
}

void CZipArchive::addEntry(const stringc& storedName, const SZipLocalHeader& header,
                           u32 dataOffset) {
    SZipFileEntry entry;
    entry.fullName = makeArchiveLookupKey(storedName, m_ignoreCase, false);
    entry.simpleName = makeArchiveLookupKey(storedName, m_ignoreCase, m_ignorePaths);
    const s32 slash = entry.fullName.findLast('/');
    if (slash >= 0) entry.path = entry.fullName.subString(0, slash + 1);
    entry.dataOffset = dataOffset;
    entry.dataSize = header.compressedSize;
    entry.header = header;
    m_entries.push_back(entry);
}

bool CZipArchive::readCentralDirectory() {
    const s32 fileSize = m_file->getSize();
    if (fileSize < static_cast<s32>(EndOfDirectorySize)) return false;
    const u32 size = static_cast<u32>(fileSize);

    // The end record: searched from the end, past a comment of any length.
    const u32 tailSize = size < EndOfDirectorySearch ? size : EndOfDirectorySearch;
    const u32 tailStart = size - tailSize;
    std::unique_ptr<u8[]> tail(new u8[tailSize]);
    if (!readAt(tailStart, tail.get(), tailSize)) return false;
    int64_t found = -1;
    for (int64_t i = static_cast<int64_t>(tailSize) - EndOfDirectorySize; i >= 0; --i) {
        const u8* p = tail.get() + i;
        if (readLE32(p) == EndOfDirectorySignature &&
            static_cast<uint64_t>(i) + EndOfDirectorySize + readLE16(p + 20) <= tailSize) {
            found = i;
            break;
        }
    }
    if (found < 0) return false;
    const u8* end = tail.get() + found;
    const u32 endOffset = tailStart + static_cast<u32>(found);
    const u16 diskNumber = readLE16(end + 4), directoryDisk = readLE16(end + 6);
    const u16 entriesOnDisk = readLE16(end + 8), entryCount = readLE16(end + 10);
    const u32 directorySize = readLE32(end + 12), directoryOffset = readLE32(end + 16);

    if (diskNumber != 0 || directoryDisk != 0 || entriesOnDisk != entryCount ||
        entryCount == 0xffff || directoryOffset == 0xffffffffu) {
        CLogger::instance().logHint("Unsupported zip directory (split or zip64 archive)",
                                    m_archiveName.c_str(), LogError);
        return false;
    }
    if (static_cast<uint64_t>(directoryOffset) + directorySize > endOffset ||
        static_cast<uint64_t>(entryCount) * CentralHeaderSize > directorySize) {
        CLogger::instance().logHint("Damaged zip directory", m_archiveName.c_str(), LogError);
        return false;
    }
    std::unique_ptr<u8[]> directory(new u8[directorySize ? directorySize : 1]);
    if (!readAt(directoryOffset, directory.get(), directorySize)) return false;

    u32 pos = 0;
    for (u32 i = 0; i < entryCount; ++i) {
        const u8* p = directory.get() + pos;
        if (pos + CentralHeaderSize > directorySize || readLE32(p) != CentralHeaderSignature) {
            CLogger::instance().logHint("Damaged zip directory", m_archiveName.c_str(), LogError);
            return false;
        }
        const u16 nameLength = readLE16(p + 28), extraLength = readLE16(p + 30),
                  commentLength = readLE16(p + 32);
        const u32 recordSize = CentralHeaderSize + nameLength + extraLength + commentLength;
        if (static_cast<uint64_t>(pos) + recordSize > directorySize) {
            CLogger::instance().logHint("Damaged zip directory", m_archiveName.c_str(), LogError);
            return false;
        }
        const stringc name(reinterpret_cast<const c8*>(p + CentralHeaderSize), nameLength);
        pos += recordSize;

        SZipLocalHeader header;
        header.signature = LocalHeaderSignature;
        header.versionNeeded = readLE16(p + 6);
        header.flags = readLE16(p + 8);
        header.compressionMethod = readLE16(p + 10);
        header.lastModTime = readLE16(p + 12);
        header.lastModDate = readLE16(p + 14);
        header.crc32 = readLE32(p + 16);
        header.compressedSize = readLE32(p + 20);
        header.uncompressedSize = readLE32(p + 24);
        const u32 localOffset = readLE32(p + 42);
        if (header.compressedSize == 0xffffffffu || header.uncompressedSize == 0xffffffffu ||
            localOffset == 0xffffffffu) {
            logEntry("Unsupported zip64 entry %s", name);
            continue;
        }

        // The data follows the local header, whose name and extra field may differ in length
        // from the directory's.
        u8 local[LocalHeaderSize];
        if (!readAt(localOffset, local, LocalHeaderSize) || readLE32(local) != LocalHeaderSignature) {
            logEntry("Damaged zip entry %s", name);
            continue;
        }
        header.nameLength = readLE16(local + 26);
        header.extraLength = readLE16(local + 28);
        const uint64_t dataOffset =
            static_cast<uint64_t>(localOffset) + LocalHeaderSize + header.nameLength + header.extraLength;
        if (dataOffset + header.compressedSize > size) {
            logEntry("Damaged zip entry %s", name);
            continue;
        }
        addEntry(name, header, static_cast<u32>(dataOffset));
    }
    return true;
}

void CZipArchive::scanLocalHeaders() {
    const s32 fileSize = m_file->getSize();
    if (fileSize <= 0) return;
    const u32 size = static_cast<u32>(fileSize);
    u32 pos = 0;
    for (;;) {
        u8 raw[LocalHeaderSize];
        if (!readAt(pos, raw, LocalHeaderSize)) return;
        const SZipLocalHeader header = parseLocalHeader(raw);
        if (header.signature != LocalHeaderSignature) return;
        std::vector<c8> name(header.nameLength + 1u, 0);
        if (!readAt(pos + LocalHeaderSize, name.data(), header.nameLength)) return;
        const stringc storedName(name.data(), header.nameLength);
        const uint64_t dataOffset =
            static_cast<uint64_t>(pos) + LocalHeaderSize + header.nameLength + header.extraLength;
        if ((header.flags & FlagDataDescriptor) && header.compressedSize == 0) {
            // The sizes follow the data; without the central directory the data's end is unknown.
            logEntry("Cannot read zip entry without its directory %s", storedName);
            return;
        }
        if (dataOffset + header.compressedSize > size) {
            logEntry("Damaged zip entry %s", storedName);
            return;
        }
        addEntry(storedName, header, static_cast<u32>(dataOffset));
        pos = static_cast<u32>(dataOffset + header.compressedSize);
    }
}

const SZipFileEntry* CZipArchive::getZipEntry(s32 index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size()) return nullptr;
    return &m_entries[static_cast<size_t>(index)];
}

s32 CZipArchive::findFile(const stringc& name) {
    return findSortedArchiveEntry(m_entries, makeArchiveLookupKey(name, m_ignoreCase, m_ignorePaths));
}

IReadableFile* CZipArchive::openFile(const stringc& name) {
    const s32 index = findFile(name);
    return index < 0 ? nullptr : openFile(index);
}

IReadableFile* CZipArchive::openFile(s32 index) {
    const SZipFileEntry* entry = getZipEntry(index);
    if (!entry) return nullptr;
    const SZipLocalHeader& header = entry->header;
    if (header.flags & FlagEncrypted) {
        logEntry("File is encrypted. %s", entry->simpleName);
        return nullptr;
    }
    switch (header.compressionMethod) {
    case MethodStored:
        if (header.compressedSize != header.uncompressedSize) {
            logEntry("Damaged zip entry %s", entry->simpleName);
            return nullptr;
        }
        return new CLimitReadFile(m_file, entry->dataOffset, header.compressedSize,
                                  entry->fullName);
    case MethodDeflated:
        return inflateEntry(*entry);
    default:
        logEntry("File has unsupported compression method. %s", entry->simpleName);
        return nullptr;
    }
}

IReadableFile* CZipArchive::inflateEntry(const SZipFileEntry& entry) {
    const SZipLocalHeader& header = entry.header;
    const u32 outSize = header.uncompressedSize, inSize = header.compressedSize;
    if (outSize > static_cast<u32>(INT_MAX) ||
        outSize > static_cast<unsigned long long>(inSize) * MaxDeflateRatio + 1024) {
        logEntry("Error decompressing %s", entry.simpleName);
        return nullptr;
    }
    std::unique_ptr<u8[]> out(new (std::nothrow) u8[outSize ? outSize : 1]);
    std::unique_ptr<u8[]> in(new (std::nothrow) u8[inSize ? inSize : 1]);
    if (!out || !in) {
        logEntry("Not enough memory for decompressing %s", entry.simpleName);
        return nullptr;
    }
    if (!readAt(entry.dataOffset, in.get(), inSize)) {
        logEntry("Error decompressing %s", entry.simpleName);
        return nullptr;
    }

    z_stream stream;
    std::memset(&stream, 0, sizeof(stream));
    stream.next_in = in.get();
    stream.avail_in = inSize;
    stream.next_out = out.get();
    stream.avail_out = outSize;
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        logEntry("Error decompressing %s", entry.simpleName);
        return nullptr;
    }
    const int result = inflate(&stream, Z_FINISH);
    const uLong produced = stream.total_out;
    inflateEnd(&stream);
    // The whole stream, exactly the recorded size, and the recorded checksum.
    if (result != Z_STREAM_END || produced != outSize ||
        crc32(crc32(0L, Z_NULL, 0), out.get(), outSize) != header.crc32) {
        logEntry("Error decompressing %s", entry.simpleName);
        return nullptr;
    }
    return new CMemoryFile(out.release(), static_cast<s32>(outSize), entry.fullName, true);
}

bool CZipArchiveType::canLoadFile(IReadableFile* file) {
    if (!file) return false;
    u8 signature[4];
    return file->read(signature, 4) == 4 && readLE32(signature) == CZipArchive::LocalHeaderSignature;
}

bool CZipArchiveType::canLoadName(const stringc& name) {
    const stringc extension = getFileExtension(name);
    return extension.equals_ignore_case("zip") || extension.equals_ignore_case("pk3");
}

IArchive* CZipArchiveType::createArchive(IReadableFile* file, bool ignoreCase, bool ignorePaths) {
    if (!file || !file->seek(0)) return nullptr;
    return new CZipArchive(file, ignoreCase, ignorePaths);
}

IArchive* CZipArchiveType::createArchive(const stringc& name, bool ignoreCase, bool ignorePaths) {
    IReadableFile* file = m_fileSystem->createAndOpenFile(name);
    if (!file) return nullptr;
    IArchive* archive = createArchive(file, ignoreCase, ignorePaths);
    file->drop();
    return archive;
}

}  // namespace oskel
