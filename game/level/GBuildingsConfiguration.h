#pragma once

#include <map>

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "game/config/IConfigurationTable.h"
#include "game/level/GLevelModifier.h"

namespace oskel {
class CXmlReader;
}

namespace brasquel {

class GLevelConfiguration;

// The kinds of building (a type's "Type").
enum EBuildingKind : oskel::s32 {
    BuildingKindLodging = 0,    // houses guests
    BuildingKindAmenity = 1,    // maintained by cleaning, as decorations are
    BuildingKindDecoration = 2,  // gets dirty
    BuildingKindFirstRuin = 3,  // this kind and above start as ruins to restore
    BuildingKindServed = 4,     // like lodgings, shows the lots that serve it
    BuildingKindNoFeatureIcons = 5,  // never shows its features' icons
    BuildingKindAquaPark = 7,
};

// The problem states a custom service resolves (a type's "ProvidedService"); any other value is
// stored as none.
constexpr oskel::s32 BuildingNoService = 0;
constexpr oskel::s32 BuildingFirstCustomService = 4;
constexpr oskel::s32 BuildingLastCustomService = 5;

// One active feature of a building type, read from an "ActiveFeature" element.
// Copies share the modifier list.
class GBuildingFeature {
public:
    // Reads the attributes and children of the "ActiveFeature" element the reader stands on, up
    // to its end; false when the document ended first.
    bool read(oskel::CXmlReader* reader);

    oskel::CNameId ButtonName;
    oskel::s32 DurationTime = 10000;  // ms
    oskel::s32 RechargeTime = 10000;  // ms
    oskel::f32 MoneyCost = 0.0f;
    oskel::stringw Name;
    oskel::stringw InfoText;
    oskel::stringw ButtonInfoText;
    oskel::array<oskel::CNameId> FeatureTypes;  // "BoostIncome", "BoostServeArea", ...
    oskel::CRefPtr<GLevelModifierList> LevelModifiers;
};

// One building type of the catalogue. Lots keep a private copy of their current type.
class GBuildingConfig : public virtual oskel::IReferenceCounted {
public:
    GBuildingConfig();
    ~GBuildingConfig() override;
    GBuildingConfig(const GBuildingConfig&) = delete;
    GBuildingConfig& operator=(const GBuildingConfig&) = delete;

    // Reads the "Building" element the reader stands on, up to its end, over the record's
    // present values; false when the document ended first.
    bool read(oskel::CXmlReader* reader);
    // A new record (one reference) with every field of this one: the modifier lists are shared,
    // the features copied one by one.
    [[nodiscard]] GBuildingConfig* copy() const;

    // The costs with the level's economy factors (the level may be none).
    oskel::f32 getBuildMaterialsCost(const GLevelConfiguration* level) const;
    oskel::s32 getBuildWorkersCost(const GLevelConfiguration* level) const;
    oskel::f32 getRepairMaterialsCost(const GLevelConfiguration* level) const;
    oskel::s32 getRepairWorkersCost(const GLevelConfiguration* level) const;
    oskel::s32 getDestroyWorkersCost(const GLevelConfiguration* level) const;
    oskel::s32 getGuestsCount(const GLevelConfiguration* level) const;
    // The bonus in percent that this type gives the lots its serve area touches, as the serving
    // lot's state allows: none while it runs a process, the broken bonus while it has a problem.
    oskel::f32 getServeAreaIncomeBonus(bool servingLotRunsProcess, bool servingLotHasProblem) const;

    oskel::stringc DisplayName;
    oskel::stringw Description;
    oskel::stringw FullDescription;
    oskel::f32 PreviewScale = 0.75f;
    oskel::CNameId BuiltSoundCueName;
    oskel::CNameId SelectedSoundCueName;
    oskel::CNameId Name;
    oskel::CNameId NextLevelName;
    oskel::s32 Level = 0;
    oskel::s32 Type = 0;
    oskel::CNameId ButtonTemplate;
    oskel::f32 BuildTime = 5000.0f;    // ms
    oskel::f32 RepairTime = 2000.0f;   // ms
    oskel::f32 DestroyTime = 1500.0f;  // ms
    oskel::s32 ProvidedService = BuildingNoService;
    oskel::vector2df ServeArea{0.0f, 0.0f};
    oskel::vector2df BoostedServeArea{0.0f, 0.0f};
    oskel::f32 ServeAreaIncomeBonus = 0.0f;  // percent
    oskel::f32 ServeTime = 2000.0f;          // ms
    oskel::f32 ServiceDuration = 2000.0f;    // ms, not read from the file
    oskel::f32 ServeIncome = 0.0f;
    oskel::f32 ServeBoostedIncome = 0.0f;
    oskel::f32 Income = 0.0f;  // per level day
    oskel::f32 SellPrice = 0.0f;
    oskel::f32 Cost = 0.0f;
    oskel::CRefPtr<GLevelModifierList> LevelModifiers;
    oskel::array<GBuildingFeature> Features;
    oskel::f32 BrokenServeAreaIncomeBonus = 0.0f;  // percent
    oskel::f32 BuildMaterialsCost = 10.0f;
    oskel::s32 BuildWorkersCost = 1;
    oskel::f32 RepairMaterialsCost = 10.0f;
    oskel::s32 RepairWorkersCost = 1;
    oskel::s32 DestroyWorkersCost = 1;
    oskel::s32 GuestsCount = 0;
};

// The catalogue of building types of "levels/common/BuildingsConfiguration.xml", by Name. The
// application keeps one for the whole run; the reload key reads the file into it again.
class GBuildingsConfiguration : public virtual oskel::IReferenceCounted,
                                public IConfigurationTable {
public:
    GBuildingsConfiguration() = default;
    ~GBuildingsConfiguration() override = default;
    GBuildingsConfiguration(const GBuildingsConfiguration&) = delete;
    GBuildingsConfiguration& operator=(const GBuildingsConfiguration&) = delete;

    // Releases every record, then reads the document's "Building" elements (the first type of a
    // name wins) up to the end of "BuildingsConfiguration" (true) or of the document (false;
    // what was read stays). Records that others hold are not changed.
    bool read(oskel::CXmlReader* reader) override;

    // The type of the name, or none; a caller that keeps it takes its own reference.
    GBuildingConfig* find(oskel::CNameId name) const;
    oskel::u32 size() const { return static_cast<oskel::u32>(m_types.size()); }
    // Every type, ordered by name id.
    const std::map<oskel::CNameId, oskel::CRefPtr<GBuildingConfig>>& getTypes() const {
        return m_types;
    }

private:
    std::map<oskel::CNameId, oskel::CRefPtr<GBuildingConfig>> m_types;
};

}  // namespace brasquel
