#pragma once

// What the play screen offers the player in the level's state: the page a selected lot shows,
// the panel of the building page and the state of its buttons, what the service button does,
// the build menus' entries and the resource offers. The play screen sets its nodes and carries
// out its presses with these; a program that plays a level as a player does asks the same
// questions of them.

#include "engine/core/OskelTypes.h"
#include "game/play/GBuildingTypeTables.h"

namespace brasquel {

class GBuildingConfig;
class GBuildingNode;
class GBuildingsConfiguration;
class GGameLevelScene;
class GLevelOffer;
class GLevelUpgrades;

namespace playoffers {

// A button as a panel sets it: shown, and pressable. A button whose visibility the panel leaves
// as the scene file made it counts as shown.
struct SButton {
    bool visible = false;
    bool enabled = false;
    bool offered() const { return visible && enabled; }
};

// The page of the actions tab scene (GGamePlayScene::EActionsTab) that selecting the lot shows:
// the status page for no lot or a lot without a type, the buy page for a lot of another owner,
// the offer page for a lot on sale with an offer, the building-place page for an idle empty
// place, the building page otherwise.
oskel::s32 pageOfLot(const GBuildingNode* lot);

// The one panel the building page shows for the lot.
enum EBuildingPanel : oskel::s32 {
    BuildingPanelNone = 0,
    BuildingPanelProgress = 1,  // a running action, with its progress
    BuildingPanelHotel = 2,     // upgrade, demolish, sell, repair
    BuildingPanelFeatures = 3,  // demolish, the features, clean
    BuildingPanelService = 4,   // the one service button
};
EBuildingPanel buildingPanelOf(const GBuildingNode& lot);

// Whether the progress panel lets the player stop the running action of the kind.
bool canAbort(oskel::s32 processKind);

// The hotel panel's buttons.
struct SHotelButtons {
    SButton upgrade;
    SButton destroy;
    SButton sell;
    SButton repair;  // its visibility is the scene file's
};
SHotelButtons hotelButtonsOf(const GGameLevelScene& level, const GBuildingNode& lot);

// The feature panel's buttons (the sell button stays hidden there).
struct SFeatureButtons {
    SButton destroy;
    SButton features[2];
    SButton clean;
};
SFeatureButtons featureButtonsOf(const GGameLevelScene& level, const GBuildingNode& lot);

// What a press of the service button does for the lot.
enum EServeAction : oskel::s32 {
    ServeActionRestore = 0,  // a ruin to restore
    ServeActionFeature = 1,  // the first feature of a restored ruin's kind
    ServeActionCustom = 2,   // the custom service a lot asks for
};
EServeAction serveActionOf(const GBuildingNode& lot);

// The service button of a lot whose kind starts as a ruin. For the other kinds the panel leaves
// the button as it was and the press asks the level for the custom service.
SButton serveButtonOf(const GGameLevelScene& level, const GBuildingNode& lot);

// The sell button of the building-place page.
SButton placeSellButtonOf(const GGameLevelScene& level);

// Puts the owned lot on sale, or takes it off; nothing for a lot of another owner.
void toggleSale(GGameLevelScene& level, GBuildingNode& lot);

// ---- Build menus ----

// Whether the category button of the build-list kind opens: the first type of its table is
// allowed.
bool isCategoryOpen(const GLevelUpgrades& upgrades, oskel::s32 kind);
// The building type a build-menu entry offers: none while the upgrades do not allow it or the
// catalogue does not hold it.
GBuildingConfig* entryTypeOf(const GLevelUpgrades& upgrades,
                             const GBuildingsConfiguration& catalogue,
                             const GBuildingTypeEntry& entry);
// Whether an entry of the type can be pressed: the level can afford it, and a kind that stands
// once on a level does not stand yet.
bool isEntryEnabled(const GGameLevelScene& level, const GBuildingConfig& type);

// ---- Materials and workers ----

// Whether an order of the kind (materials, or workers) is on its way.
bool isDeliveryRunning(const GGameLevelScene& level, bool workers);
// What the offer costs with the level's price factor.
oskel::f32 offerCost(const GGameLevelScene& level, const GLevelOffer& offer, bool workers);
// Whether the offer's entry can be pressed: nothing of its kind on the way and the money covers
// it.
bool isOfferEnabled(const GGameLevelScene& level, const GLevelOffer& offer, bool workers);

}  // namespace playoffers
}  // namespace brasquel
