#include "game/play/GPlayOffers.h"

#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelUpgrades.h"
#include "game/play/GGamePlayInfoSupport.h"
#include "game/play/GGamePlayScene.h"

namespace brasquel::playoffers {

using namespace oskel;

namespace {

// Whether the level's stock covers the repair (or the cleaning) of the type.
bool coversRepair(const GGameLevelScene& level, const GBuildingConfig& type) {
    const GLevelConfiguration* config = level.getLevelConfiguration();
    return type.getRepairMaterialsCost(config) <= level.Materials &&
           type.getRepairWorkersCost(config) <= level.Workers;
}

bool isFeatureActive(const GBuildingNode& lot, s32 index) {
    return lot.getFeatureState(index) == GBuildingFeatureState::Active;
}
bool isFeatureReady(const GBuildingNode& lot, s32 index) {
    return lot.getFeatureState(index) == GBuildingFeatureState::Ready;
}

// The demolition button of the hotel and feature panels.
SButton destroyButtonOf(const GGameLevelScene& level, const GBuildingConfig& type) {
    SButton button;
    button.visible = type.Level > 0;
    button.enabled = type.getDestroyWorkersCost(level.getLevelConfiguration()) <= level.Workers;
    return button;
}

}  // namespace

s32 pageOfLot(const GBuildingNode* lot) {
    const GBuildingConfig* type = lot ? lot->getCurrentType() : nullptr;
    if (!type) return GGamePlayScene::TabStatus;
    if (!lot->isOwnedByThePlayer()) return GGamePlayScene::TabBuy;
    if (lot->isForSale() && lot->hasBuyOffer()) return GGamePlayScene::TabBuyRequest;
    if (type->Level == 0 && lot->getProcessKind() == BuildingProcessNone)
        return GGamePlayScene::TabBuildingPlace;
    return GGamePlayScene::TabBuilding;
}

EBuildingPanel buildingPanelOf(const GBuildingNode& lot) {
    const s32 kind = lot.getProcessKind();
    if (kind != BuildingProcessNone && kind != BuildingProcessTimedService)
        return BuildingPanelProgress;
    const GBuildingConfig* type = lot.getCurrentType();
    if (!type) return BuildingPanelNone;
    if (type->Type == BuildingKindAmenity || type->Type == BuildingKindDecoration)
        return BuildingPanelFeatures;
    if (type->Type >= BuildingKindFirstRuin) return BuildingPanelService;
    const s32 problem = lot.getProblemState();
    return problem == BuildingProblemNone || problem == BuildingProblemBroken
               ? BuildingPanelHotel
               : BuildingPanelService;
}

bool canAbort(s32 processKind) {
    return processKind == BuildingProcessConstruction || processKind == BuildingProcessDemolition ||
           processKind == BuildingProcessMaintenance;
}

SHotelButtons hotelButtonsOf(const GGameLevelScene& level, const GBuildingNode& lot) {
    SHotelButtons buttons;
    const GBuildingConfig* type = lot.getCurrentType();
    if (!type) return buttons;
    const GLevelConfiguration* config = level.getLevelConfiguration();
    const s32 problem = lot.getProblemState();
    const GBuildingConfig* next = playinfo::nextTypeOf(&level, type);
    buttons.upgrade.visible = type->Level > 0;
    buttons.upgrade.enabled =
        !lot.isForSale() && problem == BuildingProblemNone && next && level.canAffordBuilding(next);
    buttons.destroy = destroyButtonOf(level, *type);
    buttons.sell.visible = true;
    buttons.sell.enabled = config && config->IsSellOn && problem == BuildingProblemNone;
    buttons.repair.visible = true;
    buttons.repair.enabled = problem == BuildingProblemBroken && coversRepair(level, *type);
    return buttons;
}

SFeatureButtons featureButtonsOf(const GGameLevelScene& level, const GBuildingNode& lot) {
    SFeatureButtons buttons;
    const GBuildingConfig* type = lot.getCurrentType();
    if (!type) return buttons;
    buttons.destroy = destroyButtonOf(level, *type);
    // While a feature runs, no feature can be started.
    const bool busy = isFeatureActive(lot, 0) || isFeatureActive(lot, 1);
    const s32 features = static_cast<s32>(type->Features.size());
    for (s32 index = 0; index < 2; ++index) {
        SButton& button = buttons.features[index];
        button.visible = features > index;
        button.enabled =
            button.visible && lot.isFeatureUnlocked(index) && !busy && isFeatureReady(lot, index);
    }
    buttons.clean.visible = type->ServeAreaIncomeBonus > 0.0f;
    buttons.clean.enabled =
        lot.getProblemState() == BuildingProblemDirty && coversRepair(level, *type);
    return buttons;
}

EServeAction serveActionOf(const GBuildingNode& lot) {
    const GBuildingConfig* type = lot.getCurrentType();
    if (!type || type->Type < BuildingKindFirstRuin) return ServeActionCustom;
    return lot.getProblemState() == BuildingProblemRuin ? ServeActionRestore : ServeActionFeature;
}

SButton serveButtonOf(const GGameLevelScene& level, const GBuildingNode& lot) {
    SButton button;
    const GBuildingConfig* type = lot.getCurrentType();
    if (!type) return button;
    if (lot.getProblemState() == BuildingProblemRuin) {
        button.visible = true;
        button.enabled = level.canAffordBuilding(type);
        return button;
    }
    if (type->Features.size() >= 1 && lot.isFeatureUnlocked(0)) {
        button.visible = true;
        button.enabled = level.Money >= type->Features[0].MoneyCost && isFeatureReady(lot, 0);
    }
    return button;
}

SButton placeSellButtonOf(const GGameLevelScene& level) {
    const GLevelConfiguration* config = level.getLevelConfiguration();
    return SButton{true, config && config->IsSellOn};
}

void toggleSale(GGameLevelScene& level, GBuildingNode& lot) {
    if (!lot.isOwnedByThePlayer()) return;
    lot.setForSale(!lot.isForSale());
    level.recalculateEconomy();
    lot.notifyChanged();
}

// ---- Build menus ----

bool isCategoryOpen(const GLevelUpgrades& upgrades, s32 kind) {
    const GBuildingTypeTable* table = buildingTypesOfKind(kind);
    return table && !table->empty() && upgrades.isBuildingAllowed(table->front().name);
}

GBuildingConfig* entryTypeOf(const GLevelUpgrades& upgrades,
                             const GBuildingsConfiguration& catalogue,
                             const GBuildingTypeEntry& entry) {
    if (!upgrades.isBuildingAllowed(entry.name)) return nullptr;
    return catalogue.find(entry.name);
}

bool isEntryEnabled(const GGameLevelScene& level, const GBuildingConfig& type) {
    if (!level.canAffordBuilding(&type)) return false;
    // A building of this kind stands once on a level.
    return type.Type != BuildingKindAmenity || level.countBuildingsOfType(type.Name.getId()) == 0;
}

// ---- Materials and workers ----

bool isDeliveryRunning(const GGameLevelScene& level, bool workers) {
    return workers ? level.isWorkersDeliveryInProgress() : level.isMaterialsDeliveryInProgress();
}

f32 offerCost(const GGameLevelScene& level, const GLevelOffer& offer, bool workers) {
    const GLevelConfiguration* config = level.getLevelConfiguration();
    const f32 factor = !config   ? 1.0f
                       : workers ? config->Factors.WorkerPriceM
                                 : config->Factors.MaterialPriceM;
    return offer.Price * factor;
}

bool isOfferEnabled(const GGameLevelScene& level, const GLevelOffer& offer, bool workers) {
    return !isDeliveryRunning(level, workers) && level.Money >= offerCost(level, offer, workers);
}

}  // namespace brasquel::playoffers
