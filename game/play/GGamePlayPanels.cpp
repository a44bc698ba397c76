// The play screen's panels: the build menus, the button presses and building actions, the
// action-button panels of the building page, the HUD counters and status page, the offer and
// build lists, and the choice and filling of the selected lot's page.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/content/CResource.h"
#include "engine/content/IContentManager.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CTextDictionary.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/scene/NodeEvents.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/IGameServices.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GGameEvents.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelUpgrades.h"
#include "game/play/GBuildingTypeTables.h"
#include "game/play/GGamePlayInfoSupport.h"
#include "game/play/GGamePlayScene.h"
#include "game/play/GPlayOffers.h"
#include "game/scenes/GLevelObjectivesScene.h"
#include "game/scenes/GSceneSupport.h"

namespace brasquel {

using namespace oskel;

namespace {

// ---- Layout of the feature panel and of a feature button's recharge fill ----
constexpr f32 FeatureCardWidth = 119.0f;
constexpr f32 FeatureCardHeight = 101.0f;
// The part of the card the fill sweeps, and the face kept above and the fill kept below it.
constexpr f32 RechargeSpan = 91.0f;
constexpr f32 RechargeMargin = 5.0f;
constexpr f32 RechargeFillDepth = 0.01f;
const vector3df TwoFeaturesFirst(564.0f, 10.0f, 0.0f);
const vector3df TwoFeaturesSecond(685.0f, 10.0f, 0.0f);
const vector3df OneFeature(625.0f, 10.0f, 0.0f);
// The highlight of a lot that nothing highlights.
constexpr u32 NoHighlight = 0xFF000000u;
// Offer-list templates are numbered from 1; the last number serves every further offer.
constexpr u32 OfferTemplateCount = 5;
const char* const FeatureLockFolder = "scenes/images/GameMenu/Buttons/";
const char* const FeatureLockSuffix = "Feature2ButtonLock.png";

// The names the panels compare and look up, interned once.
struct PanelNames {
    CNameId MenuButton{"MenuButton"};
    CNameId HelpButton{"HelpButton"};
    CNameId HotelsButton{"HotelsButton"};
    CNameId JoysButton{"JoysButton"};
    CNameId FactoriesButton{"FactoriesButton"};
    CNameId BackToBuildButton{"BackToBuildButton"};
    CNameId DestroyButton{"DestroyButton"};
    CNameId UpgradeButton{"UpgradeButton"};
    CNameId AbortButton{"AbortButton"};
    CNameId RepairButton{"RepairButton"};
    CNameId CleanButton{"CleanButton"};
    CNameId SellButton{"SellButton"};
    CNameId BuyButton{"BuyButton"};
    CNameId AcceptSellOfferButton{"AcceptSellOfferButton"};
    CNameId DeclineSellOfferButton{"DeclineSellOfferButton"};
    CNameId GoalsButton{"GoalsButton"};
    CNameId CustomServeButton{"CustomServeButton"};
    CNameId ActiveFeatureButtons[3] = {CNameId("ActiveFeature1Button"),
                                       CNameId("ActiveFeature2Button"),
                                       CNameId("ActiveFeature3Button")};
    CNameId GameSellButton{"Game_SellButton"};
    CNameId GameUnSellButton{"Game_UnSellButton"};
    CNameId GameCafeOrderButton{"Game_CafeOrderButton"};
    CNameId GameRestoreButton{"Game_RestoreButton"};
    CNameId GameU{"Game_U"};
    CNameId Full{"Full"};
    CNameId Empty{"Empty"};
};

const PanelNames& names() {
    static const PanelNames table;
    return table;
}

// ---- Numbers, texts, pictures and level values shared with the info panel ----

using playinfo::asSprite;
using playinfo::catalogueOf;
using playinfo::clampToInt;
using playinfo::dictionary;
using playinfo::grouped;
using playinfo::loadPicture;
using playinfo::plain;
using playinfo::roundedHalfUp;
using playinfo::setText;
using playinfo::truncated;

// ---- Texts ----

// The key's text with its first two markers replaced; without a dictionary the first parameter.
stringw keyText(const char* key, const stringw& first, const stringw& second = stringw()) {
    CTextDictionary* texts = dictionary();
    if (!texts) return first;
    return texts->getTextWithParams(stringc(key), first, second, stringw(), stringw());
}
stringw moneyText(s32 amount) { return keyText("MoneyDollar", grouped(amount)); }

void hide(BaseNode* node) {
    if (node) node->setVisible(false);
}

// ---- Nodes ----

BaseProgressBarNode* barChildOf(const BaseNode* parent, const char* name) {
    return asProgressBarNode(scenes::childOf(parent, name));
}
ListNode* listChildOf(const BaseNode* parent, const char* name) {
    return asListNode(scenes::childOf(parent, name));
}
// Gives the control a template; a template it already has is not made again.
void setTemplate(ControlNode* control, const CNameId& name) {
    if (control && control->getTemplateName() != name.getId())
        control->setTemplateName(name.getId());
}
void playStar(BaseNode* star, bool full) {
    if (star) star->playState(full ? names().Full.getId() : names().Empty.getId(), nullptr, -1);
}

// ---- Level values ----

bool isFeatureReady(const GBuildingNode* building, s32 index) {
    return building->getFeatureState(index) == GBuildingFeatureState::Ready;
}
// The sum of the rating thresholds 0 to level; the last threshold repeats past the table's end,
// so a long run of it is added at once.
f64 ratingBase(const GLevelConfiguration* config, s32 level) {
    const std::int64_t count = static_cast<std::int64_t>(config->RatingThresholds.size());
    if (count == 0 || level < 0) return 0.0;
    const std::int64_t listed = std::min<std::int64_t>(level, count - 1);
    f64 sum = 0.0;
    for (std::int64_t i = 0; i <= listed; ++i)
        sum += config->getRatingThreshold(static_cast<u32>(i));
    if (level > listed)
        sum += static_cast<f64>(level - listed) *
               config->getRatingThreshold(static_cast<u32>(count - 1));
    return sum;
}

const GLevelOffer* offerOf(const ListNode* list, s32 item) {
    return dynamic_cast<const GLevelOffer*>(list->getItemData(item));
}
GBuildingConfig* buildingTypeOf(const ListNode* list, s32 item) {
    return dynamic_cast<GBuildingConfig*>(list->getItemData(item));
}

// What tells the materials tab from the workers tab.
struct OfferTabNames {
    const char* list;
    const char* templatePrefix;
    const char* tabHint;
    const char* buyHint;
    const char* cantBuyHint;
    const char* progressHint;
};
const OfferTabNames MaterialsTab{"BuyMaterialsList",      "Game_MaterialsButton",
                                 "Hint_MaterialsTab",     "Hint_MaterialsBuy",
                                 "Hint_MaterialsCantBuy", "%InProgress_MaterialsHint%"};
const OfferTabNames WorkersTab{"TrainWorkersList",    "Game_WorkersButton",
                               "Hint_WorkersTab",     "Hint_WorkersBuy",
                               "Hint_WorkersCantBuy", "%InProgress_WorkersHint%"};
const OfferTabNames& offerTab(bool workers) { return workers ? WorkersTab : MaterialsTab; }

}  // namespace

// ---- Build menus ----

void GGamePlayScene::refreshCategoryButtons() {
    BaseNode* page = m_tabs[TabBuildingPlace];
    if (!m_levelScene || !page || !m_levelScene->getLevelConfiguration()) return;
    const GLevelUpgrades* upgrades = m_levelScene->getUpgradeEffects();
    if (!upgrades) return;
    const struct {
        const char* button;
        s32 kind;
    } categories[] = {{"HotelsButton", BuildListHotels},
                      {"JoysButton", BuildListJoys},
                      {"FactoriesButton", BuildListFactories}};
    for (const auto& category : categories) {
        ControlNode* button = scenes::controlChildOf(page, category.button);
        const GBuildingTypeTable* table = buildingTypesOfKind(category.kind);
        if (button && table && !table->empty())
            button->setEnabled(playoffers::isCategoryOpen(*upgrades, category.kind));
    }
}

void GGamePlayScene::refreshBuildList(s32 kind) {
    if (!m_levelScene || !m_levelScene->getLevelConfiguration()) return;
    ListNode* list = getBuildList(kind);
    if (!list) return;
    const GGameLevelScene* level = m_levelScene.get();
    const s32 count = static_cast<s32>(list->getItemsCount());
    for (s32 i = 0; i < count; ++i) {
        const GBuildingConfig* type = buildingTypeOf(list, i);
        if (type) list->setItemEnabled(i, playoffers::isEntryEnabled(*level, *type));
    }
    list->refreshElements();
}

ListNode* GGamePlayScene::getBuildList(s32 kind) const {
    switch (kind) {
        case BuildListHotels:
            return m_hotelsBuildList;
        case BuildListFactories:
            return m_factoriesBuildList;
        case BuildListJoys:
            return m_joysBuildList;
        default:
            return nullptr;
    }
}

s32 GGamePlayScene::getBuildListKind(const BaseNode* list) const {
    if (!list) return -1;
    for (s32 kind : {BuildListHotels, BuildListFactories, BuildListJoys})
        if (getBuildList(kind) == list) return kind;
    return -1;
}

void GGamePlayScene::openBuildList(s32 kind) {
    const s32 page = kind == BuildListHotels      ? TabHotels
                     : kind == BuildListFactories ? TabFactories
                                                  : TabJoys;
    if (m_actionsTabScene) m_actionsTabScene->selectTab(page, false);
    refreshBuildList(kind);
    ListNode* list = getBuildList(kind);
    updateBuildTabHint(kind, list ? list->getParent() : nullptr, nullptr, nullptr);
}

// ---- Presses and building actions ----

bool GGamePlayScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    CRefPtr<BaseNode> self(this);
    const SceneNode::STransitionStates& transitions = SceneNode::transitionStates();
    // Any press closes the objective hint.
    if (m_hintWindow && m_hintWindow->isVisible() && m_hintCountdown > 0) {
        m_hintCountdown = 0;
        m_hintWindow->playState(transitions.NavFrom, nullptr, -1);
    }
    BaseNode* node = scenes::eventNode(event);
    if (!node) return false;
    GBuildingNode* building = m_levelScene ? m_levelScene->getFocusedBuilding() : nullptr;
    const PanelNames& n = names();
    const s32 name = node->getNameId();

    if (name == n.MenuButton.getId()) {
        switchToSceneFile("scenes/InGameMenuScene.oscn", true, transitions.NavFrom,
                          transitions.NavTo);
        return true;
    }
    if (name == n.HelpButton.getId()) {
        switchToSceneFile("scenes/HelpScene.oscn", true, transitions.NavFrom, transitions.NavTo);
        return true;
    }
    if (name == n.HotelsButton.getId()) {
        openBuildList(BuildListHotels);
        return true;
    }
    if (name == n.JoysButton.getId()) {
        openBuildList(BuildListJoys);
        return true;
    }
    if (name == n.FactoriesButton.getId()) {
        openBuildList(BuildListFactories);
        return true;
    }
    if (name == n.BackToBuildButton.getId()) {
        if (m_actionsTabScene) m_actionsTabScene->selectTab(TabBuildingPlace, false);
        refreshBuildingPlaceTab();
        updateBuildingPlaceHint(nullptr);
        return true;
    }
    bool consumed = false;
    if (pressBuildingButton(name, building, consumed)) return consumed;
    if (pressSkipTutorial(name)) return false;
    if (name == n.GoalsButton.getId()) {
        openObjectives();
        return false;
    }
    return false;
}

bool GGamePlayScene::pressBuildingButton(s32 name, GBuildingNode* building, bool& consumed) {
    const PanelNames& n = names();
    // The buttons that act on the focused lot, with the consumed flag of each.
    const struct {
        const CNameId& name;
        bool consumed;
    } rows[] = {
        {n.DestroyButton, true},
        {n.UpgradeButton, true},
        {n.AbortButton, true},
        {n.RepairButton, true},
        {n.CleanButton, true},
        {n.SellButton, true},
        {n.BuyButton, true},
        {n.AcceptSellOfferButton, false},
        {n.DeclineSellOfferButton, false},
        {n.CustomServeButton, true},
        {n.ActiveFeatureButtons[0], true},
        {n.ActiveFeatureButtons[1], true},
        {n.ActiveFeatureButtons[2], true},
    };
    const auto* row = std::find_if(std::begin(rows), std::end(rows),
                                   [name](const auto& r) { return r.name.getId() == name; });
    if (row == std::end(rows)) return false;
    consumed = row->consumed;
    // Every building action needs the level and a lot to act on.
    GGameLevelScene* level = m_levelScene.get();
    if (!level || !building) return true;

    if (name == n.DestroyButton.getId()) {
        if (level->destroyBuilding(building)) hide(m_workersInfoNode);
    } else if (name == n.UpgradeButton.getId()) {
        if (level->upgradeBuilding(building)) hide(m_materialsWorkersTooltipNode);
    } else if (name == n.AbortButton.getId()) {
        pressAbort(building);
    } else if (name == n.RepairButton.getId()) {
        if (level->repairBuilding(building)) hide(m_materialsWorkersTooltipNode);
    } else if (name == n.CleanButton.getId()) {
        if (level->cleanBuilding(building)) hide(m_materialsWorkersTooltipNode);
    } else if (name == n.SellButton.getId()) {
        playoffers::toggleSale(*level, *building);
    } else if (name == n.BuyButton.getId()) {
        if (level->canBuyBuilding(building) && level->buyBuilding(building)) {
            hide(m_moneyInfoNode);
            reselectBuilding(building);
        }
    } else if (name == n.AcceptSellOfferButton.getId()) {
        if (building->isOwnedByThePlayer() && level->acceptSellOffer(building)) {
            reselectBuilding(building);
            static_cast<void>(checkMoneyAchievements());
        }
    } else if (name == n.DeclineSellOfferButton.getId()) {
        if (building->isOwnedByThePlayer()) {
            building->restartBuyOfferTimer();
            reselectBuilding(building);
        }
    } else if (name == n.CustomServeButton.getId()) {
        pressCustomServe(building);
    } else {
        for (s32 index = 0; index < 3; ++index)
            if (name == n.ActiveFeatureButtons[index].getId()) {
                level->activateFeature(building, index);
                refreshBuildingTab();
            }
    }
    return true;
}

void GGamePlayScene::pressAbort(GBuildingNode* building) {
    // A timed serve or a feature runs to its end.
    if (!playoffers::canAbort(building->getProcessKind())) return;
    CRefPtr<GGameLevelScene> level(m_levelScene);
    building->abortProcess();
    m_previewedPlace = nullptr;
    m_previewedType = nullptr;
    showBuildPreview(nullptr, nullptr);
    reselectBuilding(building);
    level->recalculateEconomy();
}

void GGamePlayScene::pressCustomServe(GBuildingNode* building) {
    // The pop-up closes whatever the level answers.
    switch (playoffers::serveActionOf(*building)) {
        case playoffers::ServeActionRestore:
            m_levelScene->restoreBuilding(building);
            hide(m_materialsWorkersTooltipNode);
            break;
        case playoffers::ServeActionFeature:
            m_levelScene->activateFeature(building, 0);
            hide(m_moneyInfoNode);
            break;
        case playoffers::ServeActionCustom:
            m_levelScene->customServeBuilding(building);
            break;
    }
}

void GGamePlayScene::openObjectives() {
    IContentManager* content = getContentManager();
    if (!content) return;
    CRefPtr<CResource> loaded = CRefPtr<CResource>::fromRaw(content->getContentByPath(
        TypeCodeSceneNode, stringc("scenes/LevelObjectivesScene.oscn"), true));
    if (!loaded || loaded->getTypeCode() != TypeCodeSceneNode) return;
    auto* node = static_cast<BaseNode*>(loaded.get());
    if (!node->isKindOf(GameNodeTypeLevelObjectivesScene)) return;
    auto* objectives = static_cast<GLevelObjectivesScene*>(node);
    objectives->setLevelScene(m_levelScene.get());
    const SceneNode::STransitionStates& transitions = SceneNode::transitionStates();
    switchTo(objectives, true, transitions.NavFrom, transitions.NavTo);
}

void GGamePlayScene::showBuildPreview(GBuildingConfig* type, GBuildingNode* place) {
    GGameLevelScene* level = m_levelScene.get();
    if (level)
        for (const CRefPtr<GBuildingNode>& lot : level->getBuildings())
            lot->setHighlightColor(NoHighlight);
    if (place) place->showServeArea(type);
    GBuildingNode* focused = level ? level->getFocusedBuilding() : nullptr;
    // The focused lot keeps its own serve area in view.
    if (focused && focused != place) focused->showServeArea(focused->getCurrentType());
    if (place) place->setHighlightColor(GBuildingNode::HighlightFocus);
}

void GGamePlayScene::reselectBuilding(GBuildingNode* building) {
    CRefPtr<CEvent> event = makeEvent<GEventBuildingSelected>(building, building);
    onBuildingSelected(event.get());
}

// ---- Building action panels ----

void GGamePlayScene::refreshBuildingButtons(GBuildingNode* building, BaseNode* container) {
    GGameLevelScene* level = m_levelScene.get();
    if (!building || !container || !level) return;
    if (!building->getCurrentType()) return;
    const playoffers::SHotelButtons buttons = playoffers::hotelButtonsOf(*level, *building);

    if (ControlNode* upgrade = scenes::controlChildOf(container, "UpgradeButton")) {
        upgrade->setEnabled(buttons.upgrade.enabled);
        upgrade->setVisible(buttons.upgrade.visible);
    }
    if (ControlNode* destroy = scenes::controlChildOf(container, "DestroyButton")) {
        destroy->setVisible(buttons.destroy.visible);
        destroy->setEnabled(buttons.destroy.enabled);
    }
    if (ControlNode* sell = scenes::controlChildOf(container, "SellButton")) {
        setTemplate(sell,
                    building->isForSale() ? names().GameUnSellButton : names().GameSellButton);
        sell->setEnabled(buttons.sell.enabled);
        sell->setVisible(buttons.sell.visible);
    }
    // The repair button keeps the visibility the scene file gives it.
    if (ControlNode* repair = scenes::controlChildOf(container, "RepairButton"))
        repair->setEnabled(buttons.repair.enabled);
    if (ControlNode* custom = scenes::controlChildOf(container, "CustomAction1Button"))
        setControlEnabled(custom, false);
}

void GGamePlayScene::refreshFeatureButtons(GBuildingNode* building, BaseNode* container) {
    GGameLevelScene* level = m_levelScene.get();
    if (!building || !container || !level) return;
    const GBuildingConfig* type = building->getCurrentType();
    if (!type) return;
    const playoffers::SFeatureButtons buttons = playoffers::featureButtonsOf(*level, *building);

    if (ControlNode* destroy = scenes::controlChildOf(container, "DestroyButton")) {
        destroy->setVisible(buttons.destroy.visible);
        destroy->setEnabled(buttons.destroy.enabled);
    }
    hide(scenes::controlChildOf(container, "SellButton"));

    ButtonNode* first = scenes::buttonChildOf(container, "ActiveFeature1Button");
    if (first) {
        first->setVisible(buttons.features[0].visible);
        if (buttons.features[0].visible) {
            setTemplate(first, type->Features[0].ButtonName);
            first->setEnabled(buttons.features[0].enabled);
            if (building->isFeatureUnlocked(0))
                setRechargeOverlay(
                    first, isFeatureReady(building, 0) ? -1.0f : building->getFeatureProgress(0));
        }
    }
    ButtonNode* second = scenes::buttonChildOf(container, "ActiveFeature2Button");
    if (second) {
        second->setVisible(buttons.features[1].visible);
        if (buttons.features[1].visible) {
            SpriteNode* badge = asSprite(scenes::childOf(second, "AddImage"));
            if (building->isFeatureUnlocked(1)) {
                setTemplate(second, type->Features[1].ButtonName);
                second->setEnabled(buttons.features[1].enabled);
                setRechargeOverlay(
                    second, isFeatureReady(building, 1) ? -1.0f : building->getFeatureProgress(1));
                if (badge) badge->setAtlasTexture(nullptr);
            } else {
                setTemplate(second, names().GameU);
                if (badge) {
                    stringc path(FeatureLockFolder);
                    path += type->DisplayName;
                    path += FeatureLockSuffix;
                    CRefPtr<CAtlasTexture> lock = loadPicture(getContentManager(), path);
                    badge->setAtlasTexture(lock.get());
                    badge->setPosition(badge->getPosition());
                }
                second->setEnabled(buttons.features[1].enabled);
            }
        }
    }
    if (first && second && first->isVisible()) {
        if (second->isVisible()) {
            first->setPosition(TwoFeaturesFirst);
            second->setPosition(TwoFeaturesSecond);
        } else {
            first->setPosition(OneFeature);
        }
    }
    if (ControlNode* clean = scenes::controlChildOf(container, "CleanButton")) {
        clean->setVisible(buttons.clean.visible);
        clean->setEnabled(buttons.clean.enabled);
    }
}

void GGamePlayScene::refreshCustomServeButton(GBuildingNode* building, BaseNode* container) {
    GGameLevelScene* level = m_levelScene.get();
    if (!building || !container || !level) return;
    const GBuildingConfig* type = building->getCurrentType();
    ControlNode* button = scenes::controlChildOf(container, "CustomServeButton");
    if (!type || !button) return;
    const playoffers::SButton state = playoffers::serveButtonOf(*level, *building);
    // The restore button keeps the visibility the scene file gives it.
    if (building->getProblemState() == BuildingProblemRuin) {
        setTemplate(button, names().GameRestoreButton);
        button->setEnabled(state.enabled);
        return;
    }
    button->setVisible(state.visible);
    if (!state.visible) return;
    setTemplate(button, type->Features[0].ButtonName);
    button->setEnabled(state.enabled);
}

void GGamePlayScene::setControlEnabled(ControlNode* control, bool on) {
    if (!control) return;
    control->setVisible(on);
    control->setEnabled(on);
}

void GGamePlayScene::setRechargeOverlay(ButtonNode* button, f32 fraction) {
    if (!button) return;
    const ControlNode* card = button->getTemplateInstance();
    if (!card || card->getChildCount() < 2) return;
    SpriteNode* face = asSprite(card->getChildren()[0]);
    SpriteNode* fill = asSprite(card->getChildren()[1]);
    if (!face || !fill) return;
    if (fraction < 0.0f) {
        face->setBounds(FeatureCardWidth, FeatureCardHeight);
        fill->setVisible(false);
        face->setImageStretchY(SpriteNode::StretchCrop);
        return;
    }
    const f32 charged = std::min(fraction, 1.0f);
    const f32 h = std::floor((1.0f - charged) * RechargeSpan) + RechargeMargin;
    face->setBounds(FeatureCardWidth, h);
    fill->setVisible(true);
    fill->setPosition(vector3df(0.0f, h, RechargeFillDepth));
    fill->setBounds(FeatureCardWidth, FeatureCardHeight - h);
    fill->setImagePivotPoint(vector2df(0.0f, h));
    fill->setImageStretchY(SpriteNode::StretchCrop);
    face->setImageStretchY(SpriteNode::StretchCrop);
}

// ---- HUD counters and status ----

bool GGamePlayScene::onLevelChanged(CEvent*) {
    if (!m_levelScene) return true;
    CRefPtr<BaseNode> self(this);
    CRefPtr<GGameLevelScene> level(m_levelScene);
    setText(m_moneyText, moneyText(truncated(level->Money)));
    setText(m_incomeText, moneyText(roundedHalfUp(level->Income)));
    setText(m_materialsAmountTabText, plain(truncated(level->Materials)));
    setText(m_workersAmountTabText, plain(level->Workers) + L"/" + plain(level->WorkersTotal));
    refreshRating();
    refreshGoals();
    refreshPanels();
    refreshIncomeInfo();
    if (m_previewedPlace) showBuildPreview(m_previewedType, m_previewedPlace);
    refreshTooltip();
    return true;
}

void GGamePlayScene::refreshPanels() {
    refreshBuildList(BuildListHotels);
    refreshBuildList(BuildListJoys);
    refreshBuildList(BuildListFactories);
    refreshMaterialsTab();
    refreshWorkersTab();
    refreshBuildingTab();
    refreshBuyTab();
    refreshBuyRequestTab();
    refreshStatusTexts();
}

void GGamePlayScene::refreshStatusTexts() {
    BaseNode* page = m_tabs[TabStatus];
    if (!m_levelScene || !page) return;
    const GGameLevelScene* level = m_levelScene.get();
    const GLevelConfiguration* config = level->getLevelConfiguration();
    if (!config) return;
    setText(scenes::textChildOf(page, "LevelText"), keyText("GamePlay_LEVEL", config->Name));
    setText(scenes::textChildOf(page, "MoneyText"),
            keyText("GamePlay_MONEY", grouped(truncated(level->Money))));
    setText(scenes::textChildOf(page, "IncomeText"),
            keyText("GamePlay_INCOME", grouped(roundedHalfUp(level->Income))));
    setText(scenes::textChildOf(page, "GuestsText"),
            keyText("GamePlay_GUESTS", grouped(level->Guests)));
    setText(scenes::textChildOf(page, "PossibleIncomeText"),
            keyText("GamePlay_POSSIBLE_INCOME", grouped(truncated(level->TotalIncome))));
    setText(scenes::textChildOf(page, "PossibleGuestsText"),
            keyText("GamePlay_POSSIBLE_GUESTS", grouped(level->TotalGuests)));
}

void GGamePlayScene::refreshRating() {
    if (!m_levelScene) return;
    const GGameLevelScene* level = m_levelScene.get();
    const GLevelConfiguration* config = level->getLevelConfiguration();
    if (!config) return;
    const s32 reached = level->getRatingLevel();
    const f64 base = ratingBase(config, reached);
    const s32 next = reached < std::numeric_limits<s32>::max()
                         ? config->getRatingThreshold(static_cast<u32>(reached) + 1u)
                         : 0;
    setText(m_ratingText, keyText("GuestsSign", grouped(level->Guests)));
    if (m_ratingBar) {
        if (next > 0) {
            m_ratingBar->setMaxValue(static_cast<f32>(next));
            m_ratingBar->setValue(static_cast<f32>(static_cast<f64>(level->Rating) - base));
        } else {
            // Nothing is left to reach: the bar stays full.
            m_ratingBar->setValue(m_ratingBar->getMaxValue());
        }
    }
    for (const std::vector<BaseNode*>* row : {&m_ratingStars, &m_summaryStars})
        for (size_t i = 0; i < row->size(); ++i)
            playStar((*row)[i], static_cast<std::int64_t>(i) < static_cast<std::int64_t>(reached));
}

// ---- Lists ----

GGamePlayScene::SPlayListNotice GGamePlayScene::playListNotice(CEvent* event) const {
    auto* notice = static_cast<CEventNodeListItem*>(event);
    SPlayListNotice found;
    ListNode* list = asListNode(notice->getList());
    if (!list) return found;
    found.item = notice->getItem();
    for (bool workers : {false, true})
        if (list == getOfferList(workers)) {
            found.list = list;
            found.offer = true;
            found.workers = workers;
            return found;
        }
    if (getBuildListKind(list) >= 0) found.list = list;
    return found;
}

bool GGamePlayScene::onListItemPressed(CEvent* event) {
    if (GBaseSceneNode::onListItemPressed(event)) return true;
    const SPlayListNotice notice = playListNotice(event);
    if (!notice.list) return false;
    CRefPtr<BaseNode> self(this);
    if (notice.offer) {
        pressOffer(notice.workers, notice.list, notice.item);
        return true;
    }
    GBuildingConfig* type = buildingTypeOf(notice.list, notice.item);
    GBuildingNode* place = m_levelScene ? m_levelScene->getFocusedBuilding() : nullptr;
    if (type && place && m_levelScene->buildBuilding(place, type)) {
        hide(m_materialsWorkersTooltipNode);
        if (m_actionsTabScene) m_actionsTabScene->selectTab(TabBuilding, false);
        refreshBuildingTab();
    }
    return true;
}

void GGamePlayScene::pressOffer(bool workers, ListNode* list, s32 item) {
    GGameLevelScene* level = m_levelScene.get();
    const GLevelOffer* offer = offerOf(list, item);
    if (!level || !offer) return;
    // An order on its way is paid: a second one waits until it has arrived.
    if (playoffers::isDeliveryRunning(*level, workers)) return;
    if (workers)
        level->trainWorkers(offer);
    else
        level->buyMaterials(offer);
}

bool GGamePlayScene::onListItemHovered(CEvent* event) {
    if (GBaseSceneNode::onListItemHovered(event)) return true;
    const SPlayListNotice notice = playListNotice(event);
    if (!notice.list) return false;
    CRefPtr<BaseNode> self(this);
    if (notice.offer) {
        const GGameLevelScene* level = m_levelScene.get();
        if (!level || !playoffers::isDeliveryRunning(*level, notice.workers))
            updateOfferHint(notice.workers, offerOf(notice.list, notice.item),
                            notice.list->isItemEnabled(notice.item));
        return true;
    }
    hoverBuildEntry(notice.list, notice.item);
    return true;
}

void GGamePlayScene::hoverBuildEntry(ListNode* list, s32 item) {
    GBuildingNode* place = m_levelScene ? m_levelScene->getFocusedBuilding() : nullptr;
    if (!place) return;
    GBuildingConfig* type = buildingTypeOf(list, item);
    if (!type) {
        hide(m_incomeGuestsInfoNode);
        hide(m_guestsInfoNode);
        if (m_previewedPlace) m_previewedPlace->previewBuilding(nullptr);
        m_previewedPlace = nullptr;
        m_previewedType = nullptr;
        showBuildPreview(nullptr, nullptr);
        resetBuildTabHints(nullptr);
        return;
    }
    const GBuildingConfig* own = place->getCurrentType();
    if (own && own->Level != 0) return;
    m_previewedPlace = place;
    m_previewedType = type;
    showEntryCostTooltip(list, item, type);
    showBuildPreview(type, place);
    place->previewBuilding(type);
    updateBuildTabHint(getBuildListKind(list), list->getParent(), type, place);
}

ListNode* GGamePlayScene::getOfferList(bool workers) const {
    BaseNode* buttons = workers ? m_workersButtonsNode : m_materialsButtonsNode;
    return listChildOf(buttons, offerTab(workers).list);
}

void GGamePlayScene::fillMaterialsList() { fillOfferList(false); }
void GGamePlayScene::fillWorkersList() { fillOfferList(true); }

void GGamePlayScene::fillOfferList(bool workers) {
    const BaseNode* page = m_tabs[workers ? TabWorkers : TabMaterials];
    const BaseNode* progress = workers ? m_workersProgressNode : m_materialsProgressNode;
    const BaseNode* buttons = workers ? m_workersButtonsNode : m_materialsButtonsNode;
    if (!m_levelScene || !page || !progress || !buttons || !dictionary()) return;
    const GLevelConfiguration* config = m_levelScene->getLevelConfiguration();
    if (!config) return;
    const OfferTabNames& tab = offerTab(workers);
    if (ListNode* list = getOfferList(workers)) {
        const auto& offers = workers ? config->WorkersOffers : config->MaterialsOffers;
        list->setItemsCount(offers.size());
        for (u32 i = 0; i < offers.size(); ++i) {
            const s32 item = static_cast<s32>(i);
            list->setItemData(item, offers[i].get());
            stringc templateName(tab.templatePrefix);
            templateName += stringc(std::min(i + 1, OfferTemplateCount));
            list->setItemTemplate(item, CNameId(templateName).getId());
        }
        list->refreshElements();
    }
    updateOfferHint(workers, nullptr, false);
}

void GGamePlayScene::fillHotelsBuildList() { fillBuildList(BuildListHotels); }
void GGamePlayScene::fillJoysBuildList() { fillBuildList(BuildListJoys); }
void GGamePlayScene::fillFactoriesBuildList() { fillBuildList(BuildListFactories); }

void GGamePlayScene::fillBuildList(s32 kind) {
    const GBuildingTypeTable* table = buildingTypesOfKind(kind);
    ListNode* list = getBuildList(kind);
    if (!m_levelScene || !table || !list || !list->getParent()) return;
    const GLevelUpgrades* upgrades = m_levelScene->getUpgradeEffects();
    GBuildingsConfiguration* catalogue = catalogueOf(m_levelScene.get());
    if (!m_levelScene->getLevelConfiguration() || !upgrades || !catalogue) return;
    list->setItemsCount(static_cast<u32>(table->size()));
    for (size_t i = 0; i < table->size(); ++i) {
        const GBuildingTypeEntry& entry = (*table)[i];
        const s32 item = static_cast<s32>(i);
        GBuildingConfig* type = catalogue->find(entry.name);
        if (!type) continue;
        if (playoffers::entryTypeOf(*upgrades, *catalogue, entry) == type) {
            list->setItemTemplate(item, type->ButtonTemplate.getId());
            list->setItemData(item, type);
            list->setItemEnabled(item, true);
        } else {
            CRefPtr<CAtlasTexture> lock = loadPicture(getContentManager(), entry.lockImage);
            list->setItemImage(item, 0, lock.get());
            list->setItemTemplate(item, -1);
            list->setItemData(item, nullptr);
            list->setItemEnabled(item, false);
        }
    }
    list->refreshElements();
    updateBuildingTabHint(nullptr);
}

void GGamePlayScene::refreshMaterialsTab() { refreshOfferTab(false); }
void GGamePlayScene::refreshWorkersTab() { refreshOfferTab(true); }

void GGamePlayScene::refreshOfferTab(bool workers) {
    const BaseNode* page = m_tabs[workers ? TabWorkers : TabMaterials];
    BaseNode* progress = workers ? m_workersProgressNode : m_materialsProgressNode;
    const BaseNode* buttons = workers ? m_workersButtonsNode : m_materialsButtonsNode;
    if (!m_levelScene || !page || !progress || !buttons) return;
    const GGameLevelScene* level = m_levelScene.get();
    const GLevelConfiguration* config = level->getLevelConfiguration();
    if (!config) return;
    const OfferTabNames& tab = offerTab(workers);
    if (playoffers::isDeliveryRunning(*level, workers)) {
        progress->setVisible(true);
        const f32 total = workers ? level->WorkersDeliveryTotal : level->MaterialsDeliveryTotal;
        const f32 remaining =
            workers ? level->WorkersDeliveryRemaining : level->MaterialsDeliveryRemaining;
        if (BaseProgressBarNode* bar = barChildOf(progress, "ProgressBar")) {
            bar->setMaxValue(total);
            bar->setValue(total - remaining);
        }
        stringw amount;
        if (workers)
            amount =
                keyText(level->WorkersOrdered == 1 ? "InProgress_PBWorker" : "InProgress_PBWorkers",
                        grouped(level->WorkersOrdered));
        else
            amount =
                keyText("InProgress_PBMaterials", grouped(roundedHalfUp(level->MaterialsOrdered)));
        setText(scenes::textChildOf(progress, "Text"), amount);
        setText(workers ? m_workersHintText : m_materialsHintText, stringw(tab.progressHint));
    } else {
        progress->setVisible(false);
    }
    ListNode* list = getOfferList(workers);
    if (!list) return;
    const s32 count = static_cast<s32>(list->getItemsCount());
    for (s32 i = 0; i < count; ++i) {
        const GLevelOffer* offer = offerOf(list, i);
        if (!offer) continue;
        list->setItemEnabled(i, playoffers::isOfferEnabled(*level, *offer, workers));
        list->setItemText(i, 1,
                          moneyText(truncated(playoffers::offerCost(*level, *offer, workers))));
        const s32 amount = truncated(offer->Amount);
        list->setItemText(i, 0, workers ? plain(amount) : grouped(amount));
    }
    list->refreshElements();
}

void GGamePlayScene::updateMaterialsHint(const GLevelOffer* offer, bool affordable) {
    updateOfferHint(false, offer, affordable);
}
void GGamePlayScene::updateWorkersHint(const GLevelOffer* offer, bool affordable) {
    updateOfferHint(true, offer, affordable);
}

void GGamePlayScene::updateOfferHint(bool workers, const GLevelOffer* offer, bool affordable) {
    TextNode* hint = workers ? m_workersHintText : m_materialsHintText;
    CTextDictionary* texts = dictionary();
    if (!hint || !texts) return;
    const OfferTabNames& tab = offerTab(workers);
    if (!offer) {
        hint->setText(texts->getText(stringc(tab.tabHint)));
        return;
    }
    const GLevelConfiguration* config =
        m_levelScene ? m_levelScene->getLevelConfiguration() : nullptr;
    const f32 factor = !config   ? 1.0f
                       : workers ? config->Factors.WorkerPriceM
                                 : config->Factors.MaterialPriceM;
    const s32 cost = truncated(offer->Price * factor);
    const s32 count = truncated(offer->Amount);
    const stringw amount = workers ? plain(count) : grouped(count);
    if (affordable)
        hint->setText(keyText(tab.buyHint, amount, grouped(cost)));
    else
        hint->setText(keyText(tab.cantBuyHint, amount));
}

// ---- Selected-building tabs ----

bool GGamePlayScene::onBuildingSelected(CEvent* event) {
    if (!event || !event->isKindOf(GameEventBuildingSelected)) return false;
    CRefPtr<BaseNode> self(this);
    const auto* selection = static_cast<GEventBuildingSelected*>(event);
    GBuildingNode* place = selection->Selected;
    GBuildingNode* previous = selection->Previous;
    if (previous) previous->stopStateSound();
    if (place && place != previous) place->playStateSound();
    if (m_actionsTabScene) {
        const s32 page = playoffers::pageOfLot(place);
        m_actionsTabScene->selectTab(page, false);
        switch (page) {
            case TabBuy:
                refreshBuyTab();
                updateBuyTabHint(nullptr);
                break;
            case TabBuyRequest:
                refreshBuyRequestTab();
                updateBuyRequestTabHint(nullptr);
                break;
            case TabBuildingPlace:
                refreshBuildingPlaceTab();
                updateBuildingPlaceHint(nullptr);
                break;
            case TabBuilding:
                refreshBuildingTab();
                updateBuildingTabHint(nullptr);
                break;
            default:
                break;
        }
    }
    showBuildPreview(m_previewedType, m_previewedPlace);
    return true;
}

void GGamePlayScene::refreshBuildingTab() {
    BaseNode* page = m_tabs[TabBuilding];
    if (!m_levelScene || !page || !m_buildingProgressNode) return;
    if (!m_levelScene->getLevelConfiguration()) return;
    GBuildingNode* place = m_levelScene->getFocusedBuilding();
    if (!place) return;
    const GBuildingConfig* type = place->getCurrentType();
    ControlNode* hotel = scenes::controlChildOf(page, "HotelButtonsNode");
    ControlNode* joy = scenes::controlChildOf(page, "JoyButtonsNode");
    ControlNode* custom = scenes::controlChildOf(page, "CustomServiceButtonsNode");
    // The one panel the lot's state shows; each panel is switched once.
    ControlNode* shown = nullptr;
    const playoffers::EBuildingPanel panel = playoffers::buildingPanelOf(*place);
    if (panel == playoffers::BuildingPanelProgress) {
        ControlNode* progress = m_buildingProgressNode;
        if (ControlNode* abort = scenes::controlChildOf(progress, "AbortButton"))
            abort->setVisible(playoffers::canAbort(place->getProcessKind()));
        if (BaseProgressBarNode* bar = barChildOf(progress, "ProgressBar")) {
            bar->setMaxValue(1.0f);
            bar->setValue(place->getProcessProgress());
        }
        stringw title;
        stringw hint;
        getProcessTexts(place, title, hint);
        setText(scenes::textChildOf(progress, "Text"), title);
        setText(scenes::textChildOf(progress, "HintText"), hint);
        setText(m_buildingHintText, stringw());
        shown = progress;
    } else if (panel == playoffers::BuildingPanelFeatures) {
        if (joy) {
            refreshFeatureButtons(place, joy);
            shown = joy;
        }
    } else if (panel == playoffers::BuildingPanelHotel) {
        if (hotel) {
            refreshBuildingButtons(place, hotel);
            shown = hotel;
        }
    } else if (panel == playoffers::BuildingPanelService && custom) {
        if (type->Type >= BuildingKindFirstRuin)
            refreshCustomServeButton(place, custom);
        else if (place->getProblemState() == BuildingProblemServiceB)
            setTemplate(scenes::controlChildOf(custom, "CustomServeButton"),
                        names().GameCafeOrderButton);
        shown = custom;
    }
    for (ControlNode* panel : {hotel, joy, custom, m_buildingProgressNode})
        setControlEnabled(panel, panel == shown);
    fillBuildingInfo(scenes::childOf(page, "BuildingInfoNode"), type, place, true);
}

void GGamePlayScene::refreshBuyTab() {
    BaseNode* page = m_tabs[TabBuy];
    if (!m_levelScene || !page || !m_levelScene->getLevelConfiguration()) return;
    GBuildingNode* place = m_levelScene->getFocusedBuilding();
    if (!place) return;
    if (ControlNode* buy = scenes::controlChildOf(page, "BuyButton"))
        buy->setEnabled(m_levelScene->canBuyBuilding(place));
    setText(scenes::textChildOf(page, "PriceText"),
            moneyText(roundedHalfUp(place->getPrice(nullptr))));
    fillBuildingInfo(scenes::childOf(page, "BuildingInfoNode"), place->getCurrentType(), place,
                     true);
}

void GGamePlayScene::refreshBuyRequestTab() {
    BaseNode* page = m_tabs[TabBuyRequest];
    if (!m_levelScene || !page || !m_levelScene->getLevelConfiguration()) return;
    GBuildingNode* place = m_levelScene->getFocusedBuilding();
    if (!place) return;
    setText(scenes::textChildOf(page, "OfferPriceText"), moneyText(place->getOfferAmount()));
    fillBuildingInfo(scenes::childOf(page, "BuildingInfoNode"), place->getCurrentType(), place,
                     true);
}

void GGamePlayScene::refreshBuildingPlaceTab() {
    BaseNode* page = m_tabs[TabBuildingPlace];
    if (!m_levelScene || !page) return;
    const GLevelConfiguration* config = m_levelScene->getLevelConfiguration();
    GBuildingNode* place = m_levelScene->getFocusedBuilding();
    if (!config || !place || !place->getCurrentType()) return;
    if (ControlNode* sell = scenes::controlChildOf(page, "SellButton")) {
        setTemplate(sell, place->isForSale() ? names().GameUnSellButton : names().GameSellButton);
        sell->setEnabled(playoffers::placeSellButtonOf(*m_levelScene).enabled);
    }
    fillBuildingInfo(scenes::childOf(page, "BuildingInfoNode"), place->getCurrentType(), place,
                     true);
}

}  // namespace brasquel
