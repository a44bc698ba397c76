#include "engine/io/CFileSystem.h"

#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"

#include <cstdio>

#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/io/CCryptedArchive.h"
#include "engine/io/CDiskFile.h"
#include "engine/io/CFolderArchive.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CZipArchive.h"
#include "engine/io/PathUtils.h"
#include "engine/platform/FileSystemPosix.h"

namespace oskel {

CFileSystem::CFileSystem() {
    m_archiveTypes.push_back(new CCryptedArchiveType(this));
    m_archiveTypes.push_back(new CZipArchiveType(this));
    m_archiveTypes.push_back(new CFolderArchiveType(this));
}

CFileSystem::~CFileSystem() {
    for (IArchive* archive : m_archives) archive->drop();
    m_archives.clear();
    for (IArchiveType* type : m_archiveTypes) type->drop();
    m_archiveTypes.clear();
}

bool CFileSystem::existFile(const stringc& name, bool lookInArchives) const {
    if (lookInArchives) {
        for (IArchive* archive : m_archives)
            if (archive->findFile(name) != -1) return true;
    }
    FILE* stream = platform::openRegularFileForReading(toForwardSlashes(name).c_str());
    if (!stream) return false;
    std::fclose(stream);
    return true;
}

bool CFileSystem::removeFile(const stringc& name) {
    return !name.empty() && std::remove(toForwardSlashes(name).c_str()) == 0;
}

bool CFileSystem::renameFile(const stringc& oldName, const stringc& newName) {
    if (oldName.empty() || newName.empty()) return false;
    return std::rename(toForwardSlashes(oldName).c_str(), toForwardSlashes(newName).c_str()) == 0;
}

bool CFileSystem::replaceFile(const stringc& name, const stringc& temporary, const void* data, u32 size) {
    if (name.empty() || temporary.empty()) return false;
    return platform::replaceFileDurably(toForwardSlashes(name), toForwardSlashes(temporary), data, size,
                                        m_syscalls ? *m_syscalls : platform::systemFileSyscalls());
}

stringc CFileSystem::getUniqueTempName(const stringc& folder, const stringc& prefix) {
    for (;;) {
        const u32 number = CRandom::instance().nextTwister() % 999999u;
        char digits[7];
        std::snprintf(digits, sizeof(digits), "%06u", number);
        const stringc name = prefix + digits;
        if (!existFile(folder + "/" + name, false)) return name;
    }
}

IReadableFile* CFileSystem::createAndOpenFile(const stringc& name) {
    if (name.empty()) return nullptr;
    auto* disk = new CDiskReadFile(toForwardSlashes(name), name);
    if (disk->isOpen()) return disk;
    disk->drop();
    for (IArchive* archive : m_archives)
        if (IReadableFile* file = archive->openFile(name)) return file;
    return nullptr;
}

IReadableFile* CFileSystem::createMemoryReadFile(void* buffer, s32 size, const stringc& name,
                                                 bool deleteWhenDropped) {
    if (!buffer) return nullptr;
    return new CMemoryFile(buffer, size, name, deleteWhenDropped);
}

IWritableFile* CFileSystem::createMemoryWriteFile(void* buffer, s32 size, const stringc& name,
                                                  bool deleteWhenDropped) {
    if (!buffer) return nullptr;
    return new CMemoryFile(buffer, size, name, deleteWhenDropped);
}

IWritableFile* CFileSystem::createAndWriteFile(const stringc& name, bool append) {
    if (name.empty()) return nullptr;
    auto* file = new CDiskWriteFile(toForwardSlashes(name), append);
    if (file->isOpen()) return file;
    file->drop();
    return nullptr;
}

IArchive* CFileSystem::mount(IArchive* archive) {
    m_archives.push_back(archive);
    return archive;
}

IArchive* CFileSystem::createArchiveFromFile(IReadableFile* file, bool ignoreCase,
                                             bool ignorePaths) {
    for (IArchiveType* type : m_archiveTypes) {
        if (!file->seek(0)) return nullptr;
        if (!type->canLoadFile(file)) continue;
        if (!file->seek(0)) return nullptr;
        if (IArchive* archive = type->createArchive(file, ignoreCase, ignorePaths)) return archive;
    }
    return nullptr;
}

IArchive* CFileSystem::addArchive(IReadableFile* file, bool ignoreCase, bool ignorePaths) {
    if (!file) return nullptr;
    IArchive* archive = createArchiveFromFile(file, ignoreCase, ignorePaths);
    if (!archive) {
        CLogger::instance().logHint("Could not create archive for", file->getFileName().c_str(),
                                    LogError);
        return nullptr;
    }
    return mount(archive);
}

IArchive* CFileSystem::addArchive(const stringc& name, bool ignoreCase, bool ignorePaths) {
    for (IArchiveType* type : m_archiveTypes) {
        if (!type->canLoadName(name)) continue;
        if (IArchive* archive = type->createArchive(name, ignoreCase, ignorePaths))
            return mount(archive);
    }
    IArchive* archive = nullptr;
    if (IReadableFile* file = createAndOpenFile(name)) {
        archive = createArchiveFromFile(file, ignoreCase, ignorePaths);
        file->drop();
    }
    if (!archive) {
        CLogger::instance().logHint("Could not create archive for", name.c_str(), LogError);
        return nullptr;
    }
    return mount(archive);
}

void CFileSystem::removeArchive(IArchive* archive) {
    for (size_t i = 0; i < m_archives.size(); ++i) {
        if (m_archives[i] == archive) {
            m_archives.erase(m_archives.begin() + static_cast<long>(i));
            return;
        }
    }
}

u32 CFileSystem::getArchiveCount() const { return static_cast<u32>(m_archives.size()); }

IArchive* CFileSystem::getArchive(u32 index) const {
    return index < m_archives.size() ? m_archives[index] : nullptr;
}

IArchiveType* CFileSystem::getArchiveType(u32 index) const {
    return index < m_archiveTypes.size() ? m_archiveTypes[index] : nullptr;
}

void CFileSystem::addArchiveType(IArchiveType* type) {
    if (!type) return;
    type->grab();
    m_archiveTypes.push_back(type);
}

CFileList* CFileSystem::createFileList() { return new CFileList(getWorkingDirectory()); }

stringc CFileSystem::getAbsolutePath(const stringc& name) const {
    return platform::getAbsolutePath(toForwardSlashes(name).c_str());
}

stringc CFileSystem::getWorkingDirectory() const { return platform::getCurrentDirectory(); }

bool CFileSystem::changeWorkingDirectoryTo(const stringc& name) {
    return platform::changeDirectory(toForwardSlashes(name).c_str());
}

stringc CFileSystem::getUserDataFolder() {
    CLogger::instance().log("This file system has no user data folder", LogError);
    return stringc();
}

stringc CFileSystem::getCommonDataFolder() {
    CLogger::instance().log("This file system has no common data folder", LogError);
    return stringc();
}

// The POSIX file system.

bool CFileSystemLinux::existFile(const stringc& name, bool lookInArchives) const {
    if (lookInArchives) {
        for (u32 i = 0; i < getArchiveCount(); ++i)
            if (getArchive(i)->findFile(name) != -1) return true;
    }
    return platform::pathExists(toForwardSlashes(name).c_str());
}

stringc CFileSystemLinux::getWorkingDirectory() const { return platform::getCurrentDirectory(); }

bool CFileSystemLinux::changeWorkingDirectoryTo(const stringc& name) {
    return platform::changeDirectory(toForwardSlashes(name).c_str());
}

void CFileSystemLinux::noteFolder(const char* what, const stringc& path, stringc& last) {
    if (path.empty() || path == last) return;
    last = path;
    CLogger::instance().logHint(what, path.c_str(), LogInformation);
}

stringc CFileSystemLinux::getUserDataFolder() {
    const stringc path = platform::getUserDataFolder(getPublisherName(), getTitleName());
    noteFolder("User data folder", path, m_lastUserFolder);
    return path;
}

stringc CFileSystemLinux::getCommonDataFolder() {
    const stringc path = platform::getCommonDataFolder(getPublisherName(), getTitleName());
    noteFolder("Common data folder", path, m_lastCommonFolder);
    return path;
}

CXmlReader* CFileSystem::createXmlReader(IReadableFile* file) {
    return file ? new CXmlReader(file) : nullptr;
}

CXmlReader* CFileSystem::createXmlReader(const stringc& name) {
    IReadableFile* file = createAndOpenFile(name);
    if (!file) return nullptr;
    CXmlReader* reader = createXmlReader(file);
    file->drop();
    return reader;
}

CXmlWriter* CFileSystem::createXmlWriter(IWritableFile* file) {
    return file ? new CXmlWriter(file) : nullptr;
}

CXmlWriter* CFileSystem::createXmlWriter(const stringc& name) {
    IWritableFile* file = createAndWriteFile(name, false);
    if (!file) return nullptr;
    CXmlWriter* writer = createXmlWriter(file);
    file->drop();
    return writer;
}

}  // namespace oskel
