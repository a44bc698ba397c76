#pragma once

#include <functional>

#include <vector>

#include "engine/io/CFileList.h"
#include "engine/io/IArchive.h"
#include "engine/io/IReadableFile.h"

namespace oskel {

namespace platform {
class IFileSyscalls;
}

class CXmlReader;
class CXmlWriter;

// The engine's single door to stored data: opens files from the disk or from mounted archives,
// creates files on the disk, wraps memory buffers as files, keeps the archive kinds and the
// mounted archives, and answers the questions that depend on the operating system.
//
// Names given to disk operations may use '\' or '/' as separators.
class CFileSystem : public virtual IReferenceCounted {
public:
    // Registers the three built-in archive kinds: enciphered, zip, folder.
    CFileSystem();
    ~CFileSystem() override;

    // With lookInArchives, true when a mounted archive has the name; otherwise (or when none
    // has it) whether the disk has it.
    virtual bool existFile(const stringc& name, bool lookInArchives = true) const;
    virtual bool removeFile(const stringc& name);
    virtual bool renameFile(const stringc& oldName, const stringc& newName);
    // Replaces the file on the disk with the bytes, durably: through temporary (written, synced,
    // renamed over the name, the folder synced), so that the name holds its old or its new
    // content whatever happens. False, with a log line and the name untouched, on any failure.
    virtual bool replaceFile(const stringc& name, const stringc& temporary, const void* data, u32 size);
    // The system calls replaceFile makes (tests record or fail them); the system's by default.
    void setFileSyscalls(platform::IFileSyscalls* calls) { m_syscalls = calls; }
    // prefix + six random digits, such that folder + "/" + name does not exist.
    virtual stringc getUniqueTempName(const stringc& folder, const stringc& prefix);
    // The disk first (relative to the working directory), then each mounted archive in mount
    // order. Null when nobody has the name.
    [[nodiscard]] virtual IReadableFile* createAndOpenFile(const stringc& name);
    // A memory file over the buffer; null when the buffer is null.
    [[nodiscard]] virtual IReadableFile* createMemoryReadFile(void* buffer, s32 size, const stringc& name,
                                                bool deleteWhenDropped);
    [[nodiscard]] virtual IWritableFile* createMemoryWriteFile(void* buffer, s32 size, const stringc& name,
                                                 bool deleteWhenDropped);
    // A file of the disk to write to; null when it cannot be opened.
    [[nodiscard]] virtual IWritableFile* createAndWriteFile(const stringc& name, bool append = false);
    // Mounts an archive recognised by the content of the opened file.
    virtual IArchive* addArchive(IReadableFile* file, bool ignoreCase = false,
                                 bool ignorePaths = false);
    // Mounts an archive recognised by its name, else by its content.
    virtual IArchive* addArchive(const stringc& name, bool ignoreCase = false,
                                 bool ignorePaths = false);
    // Takes the archive out of the list without dropping it: the caller now holds that
    // reference.
    virtual void removeArchive(IArchive* archive);
    virtual u32 getArchiveCount() const;
    virtual IArchive* getArchive(u32 index) const;
    // Appends a kind after the built-in ones (grabbed).
    virtual void addArchiveType(IArchiveType* type);
    // An XML reader over the file (none for none), or over the named file opened as
    // createAndOpenFile opens it; the caller holds the reader.
    [[nodiscard]] virtual CXmlReader* createXmlReader(IReadableFile* file);
    [[nodiscard]] virtual CXmlReader* createXmlReader(const stringc& name);
    // An XML writer over the file, or over the named file created anew on the disk; none when
    // it cannot be created.
    [[nodiscard]] virtual CXmlWriter* createXmlWriter(IWritableFile* file);
    [[nodiscard]] virtual CXmlWriter* createXmlWriter(const stringc& name);
    // A listing of the current working directory (the caller holds the reference).
    [[nodiscard]] virtual CFileList* createFileList();
    virtual stringc getAbsolutePath(const stringc& name) const;
    virtual stringc getWorkingDirectory() const;
    virtual bool changeWorkingDirectoryTo(const stringc& name);
    // The per-user and the all-users data folders, without a final separator. Empty (and
    // logged) when they cannot be found or made: callers must then neither read nor write.
    virtual stringc getUserDataFolder();
    virtual stringc getCommonDataFolder();

    u32 getArchiveTypeCount() const { return static_cast<u32>(m_archiveTypes.size()); }
    IArchiveType* getArchiveType(u32 index) const;

    // The engine settings the file system depends on: the names of the data folders and the
    // key of the enciphered asset archives (read when such an archive is mounted).
    // A settings source, when set, answers them by key ("PublisherName", "TitleName",
    // "AssetsCryptKey") at the moment they are needed, so later changes of the settings count.
    using SettingsSource = std::function<stringc(const char* key)>;
    void setSettingsSource(SettingsSource source) { m_settings = std::move(source); }
    void setPublisherName(const stringc& name) { m_publisherName = name; }
    stringc getPublisherName() const { return m_settings ? m_settings("PublisherName") : m_publisherName; }
    void setTitleName(const stringc& name) { m_titleName = name; }
    stringc getTitleName() const { return m_settings ? m_settings("TitleName") : m_titleName; }
    void setAssetsCryptKey(const stringc& key) { m_assetsCryptKey = key; }
    stringc getAssetsCryptKey() const {
        return m_settings ? m_settings("AssetsCryptKey") : m_assetsCryptKey;
    }

private:
    [[nodiscard]] IArchive* createArchiveFromFile(IReadableFile* file, bool ignoreCase, bool ignorePaths);
    IArchive* mount(IArchive* archive);

    std::vector<IArchiveType*> m_archiveTypes;
    std::vector<IArchive*> m_archives;
    SettingsSource m_settings;
    platform::IFileSyscalls* m_syscalls = nullptr;
    stringc m_publisherName{"Wendmark"};
    stringc m_titleName{"Oskel Sample"};
    stringc m_assetsCryptKey;
};

// The file system of Linux and other POSIX systems.
class CFileSystemLinux : public CFileSystem {
public:
    // Folders count as existing too.
    bool existFile(const stringc& name, bool lookInArchives = true) const override;
    stringc getWorkingDirectory() const override;
    bool changeWorkingDirectoryTo(const stringc& name) override;
    // $XDG_DATA_HOME (or ~/.local/share) + publisher + title, created with its parents.
    stringc getUserDataFolder() override;
    // $OSKEL_COMMON_DATA_DIR + publisher + title when set; else /var/games + publisher + title
    // when it can be used; else a "Common" folder inside the user data folder.
    stringc getCommonDataFolder() override;

private:
    void noteFolder(const char* what, const stringc& path, stringc& last);

    stringc m_lastUserFolder;
    stringc m_lastCommonFolder;
};

}  // namespace oskel
