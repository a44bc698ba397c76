#pragma once

#include <vector>

#include "engine/core/CNameTable.h"
#include "engine/core/OskelTypes.h"

namespace brasquel {

// One entry of a build menu: the building type it offers (a Name of the buildings catalogue) and
// the picture its entry shows while the bought upgrades do not allow the type.
struct GBuildingTypeEntry {
    oskel::CNameId name;
    oskel::stringc lockImage;
};

using GBuildingTypeTable = std::vector<GBuildingTypeEntry>;

// The three build menus' types, in the order of their list entries; made on first use and never
// changed afterwards.
const GBuildingTypeTable& hotelBuildingTypes();
const GBuildingTypeTable& joyBuildingTypes();
const GBuildingTypeTable& factoryBuildingTypes();

// The table of a build-list kind of the play screen (0 hotels, 1 factories, 2 joys); none for
// any other kind.
const GBuildingTypeTable* buildingTypesOfKind(oskel::s32 kind);

}  // namespace brasquel
