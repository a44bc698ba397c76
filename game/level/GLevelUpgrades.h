#pragma once

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"

namespace brasquel {

class GLevelModifierList;
class UpgradesConfiguration;

// What the player's owned upgrades give one level: the building types they allow, the extra
// building features they unlock and the modifier lists that change the level's economy. Built
// once at the start of a level, filled once by collect and never changed afterwards.
class GLevelUpgrades : public virtual oskel::IReferenceCounted {
public:
    GLevelUpgrades() = default;
    ~GLevelUpgrades() override;
    GLevelUpgrades(const GLevelUpgrades&) = delete;
    GLevelUpgrades& operator=(const GLevelUpgrades&) = delete;

    // Fills the object from the upgrades the active player owns (those in "BoughtUpgrades" plus
    // every free one; only the free ones without an active profile) that take effect at map
    // location L: an upgrade of Level n counts from the level after the n-th regular one. The
    // allowed buildings are limited to the level's list of buildings available for building
    // when one is given (none: no limit).
    void collect(const UpgradesConfiguration* configuration,
                 const oskel::array<oskel::CNameId>* availableBuildings, oskel::s32 location);

    // Whether an owned upgrade allows the building type.
    bool isBuildingAllowed(const oskel::CNameId& building) const;
    // Whether the building type's feature (from 0) is unlocked; feature 0 always is.
    bool isFeatureAllowed(const oskel::CNameId& building, oskel::s32 featureIndex) const;
    // The owned upgrades' modifier lists, each once, in the order collected.
    const oskel::array<oskel::CRefPtr<GLevelModifierList>>& getModifierLists() const {
        return m_modifierLists;
    }
    const oskel::array<oskel::CNameId>& getAllowedBuildings() const { return m_allowedBuildings; }

    // The number of regular levels on the map locations before location L (every eighth
    // location holds a mini-game).
    static oskel::s32 regularLevelsBefore(oskel::s32 location);

private:
    struct SFeature {
        oskel::CNameId Building;
        oskel::s32 FeatureIndex = -1;
    };

    oskel::array<oskel::CRefPtr<GLevelModifierList>> m_modifierLists;
    oskel::array<oskel::CNameId> m_allowedBuildings;
    oskel::array<SFeature> m_allowedFeatures;
};

}  // namespace brasquel
