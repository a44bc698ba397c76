#include "game/level/GLevelUpgrades.h"

#include "engine/profiles/CProfileManager.h"
#include "game/config/GProfileKeys.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GLevelModifier.h"

namespace brasquel {

using namespace oskel;

namespace {

bool contains(const array<CNameId>& names, const CNameId& name) {
    for (u32 i = 0; i < names.size(); ++i)
        if (names[i] == name) return true;
    return false;
}

}  // namespace

GLevelUpgrades::~GLevelUpgrades() = default;

s32 GLevelUpgrades::regularLevelsBefore(s32 location) { return location - (location + 1) / 8; }

void GLevelUpgrades::collect(const UpgradesConfiguration* configuration,
                             const array<CNameId>* availableBuildings, s32 location) {
    if (!configuration) return;
    // The owned names: the bought ones in stored order, then every free one (a free upgrade
    // also stored as bought appears twice).
    array<CNameId> owned;
    if (const CProfile* profile = CProfileManager::instance().getActiveProfile())
        owned = parseNameIdList(profile->getString(ProfileKeyBoughtUpgrades));
    for (const auto& entry : configuration->getRecords())
        if (entry.second->Price == 0) owned.push_back(entry.first);

    const s32 levelsBefore = regularLevelsBefore(location);
    for (u32 i = 0; i < owned.size(); ++i) {
        const UpgradeRecord* upgrade = configuration->find(owned[i]);
        if (!upgrade || upgrade->Level > levelsBefore) continue;
        for (u32 b = 0; b < upgrade->AllowsBuilding.size(); ++b) {
            const CNameId& building = upgrade->AllowsBuilding[b];
            if (availableBuildings && !contains(*availableBuildings, building)) continue;
            if (!contains(m_allowedBuildings, building)) m_allowedBuildings.push_back(building);
        }
        for (u32 f = 0; f < upgrade->AllowsBuildingFeature.size(); ++f) {
            const SAllowedBuildingFeature& feature = upgrade->AllowsBuildingFeature[f];
            m_allowedFeatures.push_back(SFeature{feature.Building, feature.FeatureIndex});
        }
        GLevelModifierList* list = upgrade->LevelModifiers.get();
        bool held = false;
        for (u32 m = 0; m < m_modifierLists.size(); ++m)
            if (m_modifierLists[m].get() == list) held = true;
        if (list && !held) m_modifierLists.push_back(CRefPtr<GLevelModifierList>(list));
    }
}

bool GLevelUpgrades::isBuildingAllowed(const CNameId& building) const {
    return contains(m_allowedBuildings, building);
}

bool GLevelUpgrades::isFeatureAllowed(const CNameId& building, s32 featureIndex) const {
    if (featureIndex == 0) return true;
    for (u32 i = 0; i < m_allowedFeatures.size(); ++i)
        if (m_allowedFeatures[i].Building == building &&
            m_allowedFeatures[i].FeatureIndex == featureIndex)
            return true;
    return false;
}

}  // namespace brasquel
