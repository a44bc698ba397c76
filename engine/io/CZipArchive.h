#pragma once

#include <vector>

#include "engine/io/IArchive.h"

namespace oskel {

class CFileSystem;

// The local file header of a zip entry, as the published format lays it out (30 bytes,
// little-endian). Sizes and CRC come from the central directory when the archive has one.
struct SZipLocalHeader {
    u32 signature = 0;
    u16 versionNeeded = 0;
    u16 flags = 0;
    u16 compressionMethod = 0;
    u16 lastModTime = 0;
    u16 lastModDate = 0;
    u32 crc32 = 0;
    u32 compressedSize = 0;
    u32 uncompressedSize = 0;
    u16 nameLength = 0;
    u16 extraLength = 0;
};

struct SZipFileEntry : SArchiveEntry {
    SZipLocalHeader header;
};

// A zip archive (type "zip"). The directory comes from the central directory; an archive
// without a usable one is read by scanning its local headers. Stored entries open as windows
// over the archive file, deflated ones are inflated into memory. The archive file stays open
// (grabbed) while the archive lives.
class CZipArchive : public IArchive {
public:
    static constexpr u32 LocalHeaderSignature = 0x04034b50;
    static constexpr u32 CentralHeaderSignature = 0x02014b50;
    static constexpr u32 EndOfDirectorySignature = 0x06054b50;

    CZipArchive(IReadableFile* file, bool ignoreCase, bool ignorePaths);
    ~CZipArchive() override;

    const stringc& getArchiveName() const override { return m_archiveName; }
    const stringc& getTypeName() const override { return m_typeName; }
    u32 getFileCount() const override { return static_cast<u32>(m_entries.size()); }
    IReadableFile* openFile(s32 index) override;
    IReadableFile* openFile(const stringc& name) override;
    s32 findFile(const stringc& name) override;
    const SArchiveEntry* getEntry(s32 index) const override { return getZipEntry(index); }
    const SZipFileEntry* getZipEntry(s32 index) const;

private:
    bool readAt(u32 offset, void* buffer, u32 count);
    bool readCentralDirectory();
    void scanLocalHeaders();
    void addEntry(const stringc& storedName, const SZipLocalHeader& header, u32 dataOffset);
    IReadableFile* inflateEntry(const SZipFileEntry& entry);

    IReadableFile* m_file;
    bool m_ignoreCase;
    bool m_ignorePaths;
    std::vector<SZipFileEntry> m_entries;
    stringc m_typeName{"zip"};
    stringc m_archiveName;
};

// Recognises zip archives by the "PK\3\4" signature or by the extensions "zip" and "pk3".
class CZipArchiveType : public IArchiveType {
public:
    explicit CZipArchiveType(CFileSystem* fileSystem) : m_fileSystem(fileSystem) {}

    bool canLoadFile(IReadableFile* file) override;
    bool canLoadName(const stringc& name) override;
    [[nodiscard]] IArchive* createArchive(IReadableFile* file, bool ignoreCase, bool ignorePaths) override;
    [[nodiscard]] IArchive* createArchive(const stringc& name, bool ignoreCase, bool ignorePaths) override;

private:
    CFileSystem* m_fileSystem;
};

}  // namespace oskel
