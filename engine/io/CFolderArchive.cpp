#include "engine/io/CFolderArchive.h"

#include "engine/io/CFileSystem.h"
#include "engine/io/PathUtils.h"
#include "engine/platform/FileSystemPosix.h"

namespace oskel {

CFolderArchive::CFolderArchive(const stringc& absolutePath, bool, bool)
    : m_basePath(toForwardSlashes(absolutePath)) {
    if (m_basePath.empty() || m_basePath[m_basePath.size() - 1] != '/') m_basePath += "/";
}

IReadableFile* CFolderArchive::openFile(const stringc& name) {
    if (name.empty()) return nullptr;
    auto* file = new CMountPointFile(m_basePath, name);
    if (file->isOpen()) return file;
    file->drop();
    return nullptr;
}

s32 CFolderArchive::findFile(const stringc& name) {
    IReadableFile* file = openFile(name);
    if (!file) return -1;
    file->drop();
    return 1;
}

bool CFolderArchiveType::canLoadName(const stringc& name) {
    return !name.empty() && getFileExtension(name).empty();
}

IArchive* CFolderArchiveType::createArchive(const stringc& name, bool ignoreCase,
                                            bool ignorePaths) {
    if (name.empty()) return nullptr;
    const stringc absolute = m_fileSystem->getAbsolutePath(name);
    if (absolute.empty() || !platform::isFolder(absolute.c_str())) return nullptr;
    return new CFolderArchive(absolute, ignoreCase, ignorePaths);
}

}  // namespace oskel
