#include "tests/game/autoplay/ProfileWriter.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/device/IDevice.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/properties/EngineSettings.h"
#include "game/app/GApplication.h"
#include "game/config/GProfileKeys.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/scenes/GIntroScene.h"
#include "tests/game/autoplay/InputInjector.h"

namespace brasquel::autoplay {

using namespace oskel;

namespace {

bool wideOf(const std::string& utf8, stringw& wide) {
    std::vector<char32_t> points;
    if (!decodeUtf8(utf8, points)) return false;
    wide = stringw();
    for (char32_t c : points) wide.append(static_cast<wchar_t>(c));
    return true;
}

// The program never changes the C locale, so the C library reads numbers the same everywhere.
bool setValue(CProfile* profile, const SProfileValue& v, std::string& error) {
    const char* text = v.value.c_str();
    char* end = nullptr;
    if (v.type == "int") {
        const long n = std::strtol(text, &end, 10);
        if (*text == 0 || *end != 0) {
            error = "not an int: " + v.value;
            return false;
        }
        profile->setInt(v.key.c_str(), static_cast<s32>(n));
    } else if (v.type == "float") {
        const double f = std::strtod(text, &end);
        if (*text == 0 || *end != 0) {
            error = "not a float: " + v.value;
            return false;
        }
        profile->setFloat(v.key.c_str(), static_cast<f32>(f));
    } else if (v.type == "bool") {
        if (v.value != "true" && v.value != "false") {
            error = "not true or false: " + v.value;
            return false;
        }
        profile->setBool(v.key.c_str(), v.value == "true");
    } else {
        profile->setString(v.key.c_str(), v.value.c_str());
    }
    return true;
}

// The game's assets folder below its working folder (the application's default).
constexpr const char* kAssetsFolder = "assets/";

}  // namespace

bool readUpgradeNames(IDevice* device, bool all, std::vector<std::string>& names,
                      std::string& error) {
    names.clear();
    const stringc path = stringc(kAssetsFolder) + GIntroScene::UpgradesFile;
    CFileSystem* files = device ? device->getFileSystem() : nullptr;
    CXmlReader* reader = files ? files->createXmlReader(path) : nullptr;
    if (!reader) {
        error = std::string("the upgrades table ") + path.c_str() + " cannot be opened";
        return false;
    }
    auto table = makeRef<UpgradesConfiguration>();
    const bool complete = table->load(reader);
    reader->drop();
    if (!complete) {
        error = std::string("the upgrades table ") + path.c_str() + " ends early";
        return false;
    }
    for (const auto& [id, record] : table->getRecords())
        if (all || record->ObligatoryLevel >= 1) names.emplace_back(record->Name.getName().c_str());
    std::sort(names.begin(), names.end());
    return true;
}

bool writeWalkProfiles(const SWalkProfile& walk, IDevice* device, std::string& error) {
    if (!device) {
        error = "no device";
        return false;
    }
    CPropertySet* settings = device->getEngineSettings();
    settings->setStringW(EngineSettingPublisherName, GApplication::PublisherName);
    settings->setStringW(EngineSettingTitleName, GApplication::TitleName);
    CProfileManager& profiles = CProfileManager::instance();
    fillGameProfileDefaults(profiles.getCommonDefaults(), profiles.getNewProfileDefaults());
    profiles.setServices(device->getFileSystem(), settings);
    static_cast<void>(profiles.load());  // the common profile with its defaults
    // The header is the whole list of players.
    while (profiles.getProfileCount() > 0) profiles.removeProfile(0);

    for (const std::string& name : walk.players) {
        stringw wide;
        if (!wideOf(name, wide)) {
            error = "a player's name is not UTF-8";
            return false;
        }
        if (!profiles.addProfile(wide)) {
            error = "the player \"" + name + "\" is there twice";
            return false;
        }
    }
    for (const SWalkProfile::SUpgrades& u : walk.upgrades) {
        stringw wide;
        CProfile* profile = nullptr;
        if (!wideOf(u.player, wide) || !(profile = profiles.findProfile(wide))) {
            error = "no player \"" + u.player + "\"";
            return false;
        }
        std::vector<std::string> names;
        if (!readUpgradeNames(device, u.all, names, error)) return false;
        std::string list;
        for (const std::string& name : names) list += (list.empty() ? "" : ";") + name;
        profile->setString(ProfileKeyBoughtUpgrades, list.c_str());
    }
    for (const SProfileValue& v : walk.values) {
        CProfile* profile = profiles.getCommonProfile();
        if (!v.profile.empty()) {
            stringw wide;
            if (!wideOf(v.profile, wide) || !(profile = profiles.findProfile(wide))) {
                error = "no player \"" + v.profile + "\"";
                return false;
            }
        }
        if (!setValue(profile, v, error)) return false;
    }
    s32 active = walk.players.empty() ? -1 : 0;
    if (walk.activeGiven) {
        active = -1;
        stringw wide;
        if (walk.active != "none" && wideOf(walk.active, wide))
            active = profiles.getProfileIndex(profiles.findProfile(wide));
    }
    profiles.setActiveProfile(active);
    if (!profiles.saveUserProfiles()) {
        error = "the profile file could not be written";
        return false;
    }
    // The game reads its players from the file.
    while (profiles.getProfileCount() > 0) profiles.removeProfile(0);
    return true;
}

}  // namespace brasquel::autoplay
