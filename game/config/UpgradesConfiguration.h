#pragma once

#include <map>

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "game/config/IConfigurationTable.h"

namespace brasquel {

class GLevelModifierList;

// A building feature an upgrade unlocks: the building type and the feature's index (from 0).
struct SAllowedBuildingFeature {
    oskel::CNameId Building;
    oskel::s32 FeatureIndex = -1;
};

// One upgrade of the shop: what it costs, when it is offered and what it unlocks or changes.
class UpgradeRecord : public virtual oskel::IReferenceCounted {
public:
    UpgradeRecord();
    ~UpgradeRecord() override;

    // Reads the child elements up to the end of the "Upgrade" element the reader stands on (a
    // repeated single-valued element overwrites; "AllowsBuilding" and "AllowsBuildingFeature"
    // add entries, emptied first).
    void read(oskel::CXmlReader* reader);

    oskel::CNameId Name;  // unset: -1
    oskel::stringw Info;
    oskel::s32 Price = 0;
    // A regular level number (from 1, the mini-game locations not counted).
    oskel::s32 Level = 0;
    // The regular level whose location requires the upgrade; 0 or -1: none.
    oskel::s32 ObligatoryLevel = -1;
    oskel::array<oskel::CNameId> AllowsBuilding;
    oskel::array<SAllowedBuildingFeature> AllowsBuildingFeature;
    oskel::CRefPtr<GLevelModifierList> LevelModifiers;  // never none
};

// The upgrades table of "levels/common/UpgradesConfiguration.xml", keyed by upgrade name.
class UpgradesConfiguration : public virtual oskel::IReferenceCounted, public IConfigurationTable {
public:
    // Empties the table, then reads every "Upgrade" element up to the end of
    // "UpgradesConfiguration" (true) or of the file (false; the records read so far stay). Of two
    // records of one name the first stays; a record without a name is left out with a warning.
    bool load(oskel::CXmlReader* reader);
    bool read(oskel::CXmlReader* reader) override { return load(reader); }

    UpgradeRecord* find(const oskel::CNameId& name) const;
    oskel::u32 size() const { return static_cast<oskel::u32>(m_records.size()); }
    // Every record in ascending order of its name id.
    const std::map<oskel::CNameId, oskel::CRefPtr<UpgradeRecord>>& getRecords() const { return m_records; }

private:
    std::map<oskel::CNameId, oskel::CRefPtr<UpgradeRecord>> m_records;
};

}  // namespace brasquel
