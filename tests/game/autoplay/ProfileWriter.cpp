#include "tests/game/autoplay/ProfileWriter.h"

#include <cstdlib>
#include <vector>

#include "engine/device/IDevice.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/properties/EngineSettings.h"
#include "game/app/GApplication.h"
#include "game/config/GProfileKeys.h"
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

}  // namespace

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
