#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/Singleton.h"
#include "engine/properties/CPropertySet.h"

namespace oskel {

class CFileSystem;
class CProfileManager;
class CXmlReader;
class CXmlWriter;
class IReadableFile;
class IWritableFile;

// A named property set: the machine's choices, a player's settings and progress, or the values
// shared by every user of the machine.
class CProfile : public CPropertySet {
public:
    explicit CProfile(const stringw& name = stringw(), CProfileManager* manager = nullptr)
        : m_name(name), m_manager(manager) {}

    // Reads the values that follow the profile's own start tag, up to the end of its
    // "Parameters" element; the profile is emptied first. False without a reader.
    bool read(CXmlReader* reader);
    // Writes the values as a "Parameters" element. False without a writer.
    bool write(CXmlWriter* writer) const;
    // Adds every value of the defaults whose name the profile lacks (the same value object).
    void mergeDefaults(const CPropertySet& defaults);
    // Saves the file this profile lives in; false when it could not be written.
    [[nodiscard]] bool save();

    const stringw& getName() const { return m_name; }
    void setName(const stringw& name) { m_name = name; }

private:
    stringw m_name;
    CProfileManager* m_manager;
};

// The profiles of the machine: the common profile and the players' profiles in the user data
// folder's "profile.dat", the global profile in the common data folder's one. Both files pass
// through an XOR filter keyed by the ProfilesCryptKey setting (empty: plain XML).
class CProfileManager : public virtual IReferenceCounted, public TSingleton<CProfileManager> {
public:
    CProfileManager();
    ~CProfileManager() override;

    // The file system and the engine settings the files and their key come from. Without a file
    // system there are no profile files.
    void setServices(CFileSystem* fileSystem, CPropertySet* engineSettings);

    CProfile* getCommonDefaults() const { return m_commonDefaults.get(); }
    CProfile* getNewProfileDefaults() const { return m_newProfileDefaults.get(); }
    CProfile* getGlobalProfile() const { return m_globalProfile.get(); }
    CProfile* getCommonProfile() const { return m_commonProfile.get(); }
    CProfile* getActiveProfile() const { return m_active; }
    u32 getProfileCount() const { return m_profiles.size(); }
    CProfile* getProfile(s32 index) const;
    CProfile* findProfile(const stringw& name) const;
    s32 getProfileIndex(const CProfile* profile) const;
    // The listed profile at the index becomes the active one (none out of range).
    void setActiveProfile(s32 index);
    // A new player profile with the new-profile defaults; false when the name is taken. Does
    // not save.
    bool addProfile(const stringw& name);
    // Removes the listed profile; no profile is active afterwards.
    void removeProfile(s32 index);

    // Reads both files (missing or unreadable ones leave the profiles as they are), then
    // completes the common profile with its defaults. Always true.
    [[nodiscard]] bool load();
    [[nodiscard]] bool loadUserProfiles();
    [[nodiscard]] bool loadGlobalProfile();
    // Writes the file the profile lives in; false for a profile of neither file.
    [[nodiscard]] bool saveProfile(const CProfile* profile);
    // Each writes its whole file, replacing the old one only once the new one is complete.
    [[nodiscard]] bool saveUserProfiles();
    [[nodiscard]] bool saveGlobalProfile();

    // The XOR filter: copies the source into the destination, byte p XOR-ed with
    // key[p mod length] (an empty key copies unchanged). Returns the bytes copied, or -1 when a
    // write fell short.
    static long long cryptCopy(IReadableFile* source, IWritableFile* destination, const stringc& key);

private:
    CFileSystem* fileSystem() const;
    stringc cryptKey() const;
    // The file in the folder, decrypted into memory; none when it cannot be opened.
    IReadableFile* openProfileFile(const stringc& folder) const;
    bool writeProfileFile(IReadableFile* memory, const stringc& folder) const;
    // Reads the user file (the common and the players' profiles) or the global file.
    // A damaged file (no XML, another root, cut off) keeps what could be read and is moved aside
    // (false).
    bool readProfileFile(bool global);
    // Renames the file to "<name>.damaged" (".damaged.1", ".damaged.2", ... when taken).
    void moveDamagedFileAside(const stringc& path) const;
    bool writeFile(const stringc& folder, bool global);

    CRefPtr<CProfile> m_commonDefaults;
    CRefPtr<CProfile> m_newProfileDefaults;
    CRefPtr<CProfile> m_globalProfile;
    CRefPtr<CProfile> m_commonProfile;
    CProfile* m_active = nullptr;
    array<CProfile*> m_profiles;  // counted references
    CFileSystem* m_fileSystem = nullptr;
    CPropertySet* m_engineSettings = nullptr;
};

}  // namespace oskel
