#pragma once

#include "engine/io/CDiskFile.h"
#include "engine/io/IArchive.h"
#include "engine/io/PathUtils.h"

namespace oskel {

class CFileSystem;

// A file of a mounted folder: it reports the archive-relative name it was asked for, so that a
// resource has the same name whether it comes from a folder or from an archive.
class CMountPointFile : public CDiskReadFile {
public:
    CMountPointFile(const stringc& basePath, const stringc& name)
        : CDiskReadFile(basePath + toForwardSlashes(name), name) {}
};

// A folder of the disk mounted as an archive (type "mount"). It has no directory of its own:
// every lookup goes to the disk.
class CFolderArchive : public IArchive {
public:
    // The base path is the folder's absolute path; it is kept with '/' separators and a final
    // '/'.
    CFolderArchive(const stringc& absolutePath, bool ignoreCase, bool ignorePaths);

    const stringc& getArchiveName() const override { return m_basePath; }
    const stringc& getTypeName() const override { return m_typeName; }
    u32 getFileCount() const override { return 0; }
    IReadableFile* openFile(s32) override { return nullptr; }
    IReadableFile* openFile(const stringc& name) override;
    // 1 when the name opens (only a found marker), otherwise -1.
    s32 findFile(const stringc& name) override;
    const SArchiveEntry* getEntry(s32) const override { return nullptr; }

private:
    stringc m_basePath;
    stringc m_typeName{"mount"};
};

// Mounts a folder given by its name.
class CFolderArchiveType : public IArchiveType {
public:
    explicit CFolderArchiveType(CFileSystem* fileSystem) : m_fileSystem(fileSystem) {}

    bool canLoadFile(IReadableFile*) override { return false; }
    // A name without an extension, such as "assets".
    bool canLoadName(const stringc& name) override;
    [[nodiscard]] IArchive* createArchive(IReadableFile*, bool, bool) override { return nullptr; }
    // Null when the name is not an existing folder.
    [[nodiscard]] IArchive* createArchive(const stringc& name, bool ignoreCase, bool ignorePaths) override;

private:
    CFileSystem* m_fileSystem;
};

}  // namespace oskel
