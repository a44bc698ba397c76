#pragma once

#include <vector>

#include "engine/io/IArchive.h"

namespace oskel {

class CFileSystem;

// Removes (or applies) the repeating-key XOR filter of the enciphered archives: each byte is
// XORed with key[cursor] and the cursor moves on, wrapping at the key's length. Returns the
// cursor after the last byte. An empty key leaves the bytes as they are.
u32 xorKeyStream(u8* buffer, u32 length, const stringc& key, u32 cursor);

// The key position of the byte at a file offset: bytes from offset 16 on are filtered.
u32 keyCursorAt(u32 offset, const stringc& key);

// An enciphered asset archive (".oca", type "oca"):
//   header (not filtered): "OCA\0", table offset (u32), entry count (u32), unused (u32);
//   from offset 16 on every byte is XORed with key[(offset - 16) mod key length];
//   the table holds count records: name length (u16), name, data offset (u32), data size (u32).
// Entries open as memory files with the filter removed. The archive file stays open (grabbed).
class CCryptedArchive : public IArchive {
public:
    static constexpr u32 HeaderSize = 16;

    // The key is read once: changing it later does not affect this archive.
    CCryptedArchive(IReadableFile* file, const stringc& key, bool ignoreCase, bool ignorePaths);
    ~CCryptedArchive() override;

    const stringc& getArchiveName() const override { return m_archiveName; }
    const stringc& getTypeName() const override { return m_typeName; }
    u32 getFileCount() const override { return static_cast<u32>(m_entries.size()); }
    IReadableFile* openFile(s32 index) override;
    IReadableFile* openFile(const stringc& name) override;
    s32 findFile(const stringc& name) override;
    const SArchiveEntry* getEntry(s32 index) const override;

    // True when the file starts with the archive's magic "OCA\0".
    static bool hasMagic(const u8* header, u32 size);

private:
    bool readDirectory();
    bool readEntry(u32& cursor);

    IReadableFile* m_file;
    stringc m_key;
    bool m_ignoreCase;
    bool m_ignorePaths;
    std::vector<SArchiveEntry> m_entries;
    stringc m_typeName{"oca"};
    stringc m_archiveName;
};

// Recognises enciphered archives by their magic or by the extension "oca"; the key is the file
// system's assets key at the time of mounting.
class CCryptedArchiveType : public IArchiveType {
public:
    explicit CCryptedArchiveType(CFileSystem* fileSystem) : m_fileSystem(fileSystem) {}

    bool canLoadFile(IReadableFile* file) override;
    bool canLoadName(const stringc& name) override;
    [[nodiscard]] IArchive* createArchive(IReadableFile* file, bool ignoreCase, bool ignorePaths) override;
    [[nodiscard]] IArchive* createArchive(const stringc& name, bool ignoreCase, bool ignorePaths) override;

private:
    CFileSystem* m_fileSystem;
};

}  // namespace oskel
