#include "engine/profiles/CProfileManager.h"

#include <vector>

#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/EngineSettings.h"

namespace oskel {

namespace {

constexpr const char* kProfileFileName = "profile.dat";
constexpr u32 kProfileBlockSize = 0x10000;
// The name a save writes before the file takes the profile file's place.
constexpr const char* kUnfinishedSuffix = ".new";

}  // namespace

bool CProfile::read(CXmlReader* reader) {
    if (!reader) return false;
    clear();
    if (reader->isEmptyElement()) return true;  // a profile element without values
    // The values are the "Parameters" element inside the profile's own element; an empty
    // "<Parameters/>" holds none and must not swallow what follows.
    const stringw own = reader->getNodeName();
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElement && reader->getNodeName() == stringw(L"Parameters"))
            return reader->isEmptyElement() || readXml(reader, true, L"Parameters");
        if (type == XmlNodeElementEnd && reader->getNodeName() == own) return true;
    }
    return true;
}

bool CProfile::write(CXmlWriter* writer) const {
    if (!writer) return false;
    return writeXml(writer, false, L"Parameters", true);
}

void CProfile::mergeDefaults(const CPropertySet& defaults) {
    for (u32 i = 0; i < defaults.getPropertyCount(); ++i) {
        const stringc& name = defaults.getPropertyName(i);
        if (getPropertyIndex(name) < 0) addProperty(name, defaults.getPropertyAt(i));
    }
}

bool CProfile::save() { return m_manager && m_manager->saveProfile(this); }

CProfileManager::CProfileManager()
    : m_commonDefaults(makeRef<CProfile>(stringw(), this)),
      m_newProfileDefaults(makeRef<CProfile>(stringw(), this)),
      m_globalProfile(makeRef<CProfile>(stringw(), this)),
      m_commonProfile(makeRef<CProfile>(stringw(), this)) {}

CProfileManager::~CProfileManager() {
    for (u32 i = 0; i < m_profiles.size(); ++i) m_profiles[i]->drop();
    m_profiles.clear();
    if (m_fileSystem) m_fileSystem->drop();
    if (m_engineSettings) m_engineSettings->drop();
}

void CProfileManager::setServices(CFileSystem* fileSystem, CPropertySet* engineSettings) {
    if (fileSystem) fileSystem->grab();
    if (engineSettings) engineSettings->grab();
    if (m_fileSystem) m_fileSystem->drop();
    if (m_engineSettings) m_engineSettings->drop();
    m_fileSystem = fileSystem;
    m_engineSettings = engineSettings;
}

CFileSystem* CProfileManager::fileSystem() const { return m_fileSystem; }

stringc CProfileManager::cryptKey() const {
    return m_engineSettings ? m_engineSettings->getString(EngineSettingProfilesCryptKey) : stringc();
}

CProfile* CProfileManager::getProfile(s32 index) const {
    if (index < 0 || static_cast<u32>(index) >= m_profiles.size()) return nullptr;
    return m_profiles[static_cast<u32>(index)];
}

CProfile* CProfileManager::findProfile(const stringw& name) const {
    for (u32 i = 0; i < m_profiles.size(); ++i)
        if (m_profiles[i]->getName() == name) return m_profiles[i];
    return nullptr;
}

s32 CProfileManager::getProfileIndex(const CProfile* profile) const {
    for (u32 i = 0; i < m_profiles.size(); ++i)
        if (m_profiles[i] == profile) return static_cast<s32>(i);
    return -1;
}

void CProfileManager::setActiveProfile(s32 index) { m_active = getProfile(index); }

bool CProfileManager::addProfile(const stringw& name) {
    if (findProfile(name)) return false;
    auto* profile = new CProfile(name, this);
    profile->mergeDefaults(*m_newProfileDefaults);
    m_profiles.push_back(profile);
    return true;
}

void CProfileManager::removeProfile(s32 index) {
    CProfile* profile = getProfile(index);
    if (!profile) return;
    m_profiles.erase(static_cast<u32>(index));
    profile->drop();
    m_active = nullptr;
}

bool CProfileManager::load() {
    // A missing or unreadable file leaves its profiles as they are: loading goes on either way.
    static_cast<void>(loadUserProfiles());
    static_cast<void>(loadGlobalProfile());
    m_commonProfile->mergeDefaults(*m_commonDefaults);
    return true;
}

long long CProfileManager::cryptCopy(IReadableFile* source, IWritableFile* destination,
                                     const stringc& key) {
    u8 buffer[4096];
    const u32 keyLength = key.size();
    u32 k = 0;
    long long total = 0;
    for (;;) {
        const s32 got = source->read(buffer, sizeof buffer);
        if (got <= 0) break;
        if (keyLength) {
            for (s32 i = 0; i < got; ++i) {
                buffer[i] ^= static_cast<u8>(key[k]);
                if (++k == keyLength) k = 0;
            }
        }
        if (destination->write(buffer, static_cast<u32>(got)) != got) return -1;
        total += got;
    }
    return total;
}

IReadableFile* CProfileManager::openProfileFile(const stringc& folder) const {
    CFileSystem* fs = fileSystem();
    if (!fs || folder.empty()) return nullptr;  // no data folder: nothing is read
    IReadableFile* file = fs->createAndOpenFile(folder + "/" + kProfileFileName);
    if (!file) return nullptr;
    auto* memory = new CVirtualFile(kProfileFileName, kProfileBlockSize);
    const long long copied = cryptCopy(file, memory, cryptKey());
    file->drop();
    if (copied < 0) {
        memory->drop();
        return nullptr;
    }
    memory->seek(0);
    return memory;
}

bool CProfileManager::writeProfileFile(IReadableFile* memory, const stringc& folder) const {
    CFileSystem* fs = fileSystem();
    if (!fs || folder.empty()) {
        CLogger::instance().log("Profiles not saved: there is no data folder", LogError);
        return false;
    }
    // The bytes as the file holds them.
    auto* filtered = new CVirtualFile(kProfileFileName, kProfileBlockSize);
    const long long size = cryptCopy(memory, filtered, cryptKey());
    std::vector<u8> bytes(size > 0 ? static_cast<size_t>(size) : 0u);
    filtered->seek(0);
    const bool copied = size == memory->getSize() &&
                        (bytes.empty() || filtered->read(bytes.data(), static_cast<u32>(bytes.size())) == size);
    filtered->drop();
    // The new file is written beside the old one, synced and only then put in its place, so a
    // failed save (a full disk, a crash, a power loss) never loses the profiles already stored.
    const stringc path = folder + "/" + kProfileFileName;
    if (!copied || !fs->replaceFile(path, path + kUnfinishedSuffix, bytes.data(), static_cast<u32>(bytes.size()))) {
        CLogger::instance().logHint("Profiles not saved: the file could not be written", path.c_str(), LogError);
        return false;
    }
    return true;
}

bool CProfileManager::readProfileFile(bool global) {
    CFileSystem* fs = fileSystem();
    if (!fs) return false;
    const stringc folder = global ? fs->getCommonDataFolder() : fs->getUserDataFolder();
    if (folder.empty()) return false;
    const stringc path = folder + "/" + kProfileFileName;
    // A save that was cut short (the program killed while writing) left its unfinished file:
    // it is never read.
    const stringc unfinished = path + kUnfinishedSuffix;
    if (fs->existFile(unfinished, false)) {
        fs->removeFile(unfinished);
        CLogger::instance().logHint("Unfinished profile save removed", unfinished.c_str(), LogWarning);
    }
    IReadableFile* memory = openProfileFile(folder);
    if (!memory) return false;
    CXmlReader* reader = fs->createXmlReader(memory);
    memory->drop();
    if (!reader) return false;
    bool rootSeen = false;
    bool wrongRoot = false;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElementEnd && reader->getNodeName() == stringw(L"Profiles")) break;
        if (type != XmlNodeElement) continue;
        const stringw& element = reader->getNodeName();
        if (!rootSeen) {
            rootSeen = true;
            if (element != stringw(L"Profiles")) {
                wrongRoot = true;
                break;
            }
            continue;
        }
        if (global) {
            if (element == stringw(L"GlobalProfile")) m_globalProfile->read(reader);
        } else if (element == stringw(L"CommonProfile")) {
            m_commonProfile->read(reader);
        } else if (element == stringw(L"Profile")) {
            const stringw name = reader->getAttributeValue(L"Name");
            const stringw active = reader->getAttributeValue(L"Active");
            if (name.empty() || !addProfile(name)) continue;  // skipped
            CProfile* profile = m_profiles[m_profiles.size() - 1];
            profile->read(reader);
            profile->mergeDefaults(*m_newProfileDefaults);  // reading replaced its values
            if (active == stringw(L"true")) m_active = profile;
        }
    }
    const bool damaged = !rootSeen || wrongRoot || reader->isTruncated();
    reader->drop();
    // What could be read is kept; the damaged file is moved aside before a save can write over
    // the only copy of a player's progress.
    if (damaged) moveDamagedFileAside(path);
    return !damaged;
}

void CProfileManager::moveDamagedFileAside(const stringc& path) const {
    CFileSystem* fs = fileSystem();
    stringc aside = path + ".damaged";
    for (u32 n = 1; fs->existFile(aside, false); ++n) aside = path + ".damaged." + stringc(n);
    if (fs->renameFile(path, aside))
        CLogger::instance().logHint("Profile file damaged: moved aside", aside.c_str(), LogError);
    else
        CLogger::instance().logHint("Profile file damaged and could not be moved aside", path.c_str(), LogError);
}

bool CProfileManager::loadUserProfiles() { return readProfileFile(false); }

bool CProfileManager::loadGlobalProfile() { return readProfileFile(true); }

bool CProfileManager::writeFile(const stringc& folder, bool global) {
    CFileSystem* fs = fileSystem();
    if (!fs) return false;
    auto* memory = new CVirtualFile(kProfileFileName, kProfileBlockSize);
    CXmlWriter* writer = fs->createXmlWriter(memory);
    if (!writer) {
        memory->drop();
        return false;
    }
    writer->writeXMLHeader();
    writer->writeElement(L"Profiles");
    writer->writeLineBreak();
    if (global) {
        writer->writeElement(L"GlobalProfile");
        writer->writeLineBreak();
        m_globalProfile->write(writer);
        writer->writeClosingTag(L"GlobalProfile");
        writer->writeLineBreak();
    } else {
        writer->writeElement(L"CommonProfile");
        writer->writeLineBreak();
        m_commonProfile->write(writer);
        writer->writeClosingTag(L"CommonProfile");
        writer->writeLineBreak();
        for (u32 i = 0; i < m_profiles.size(); ++i) {
            CProfile* profile = m_profiles[i];
            if (profile == m_active)
                writer->writeElement(L"Profile", false, L"Name", profile->getName().c_str(),
                                     L"Active", L"true");
            else
                writer->writeElement(L"Profile", false, L"Name", profile->getName().c_str());
            writer->writeLineBreak();
            profile->write(writer);
            writer->writeClosingTag(L"Profile");
            writer->writeLineBreak();
        }
    }
    writer->writeClosingTag(L"Profiles");
    writer->writeLineBreak();
    const bool good = writer->isGood();
    writer->drop();
    memory->seek(0);
    const bool saved = good && writeProfileFile(memory, folder);
    memory->drop();
    return saved;
}

bool CProfileManager::saveUserProfiles() {
    CFileSystem* fs = fileSystem();
    return fs && writeFile(fs->getUserDataFolder(), false);
}

bool CProfileManager::saveGlobalProfile() {
    CFileSystem* fs = fileSystem();
    return fs && writeFile(fs->getCommonDataFolder(), true);
}

bool CProfileManager::saveProfile(const CProfile* profile) {
    if (!profile) return false;
    if (profile == m_commonProfile.get() || getProfileIndex(profile) >= 0) return saveUserProfiles();
    if (profile == m_globalProfile.get()) return saveGlobalProfile();
    return false;
}

}  // namespace oskel
