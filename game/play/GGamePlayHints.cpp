// The play screen's hint lines, which follow the pointer over the pages of the actions tabs, and
// the hover handlers that drive them, show the tooltips of hovered buttons and the income box
// and serve area of a hovered building.

#include <algorithm>
#include <iterator>

#include "engine/core/CNameTable.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/scene/ControlNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingProcess.h"
#include "game/level/GLevelConfiguration.h"
#include "game/play/GGamePlayInfoSupport.h"
#include "game/play/GGamePlayScene.h"

namespace brasquel {

using namespace oskel;
using namespace playinfo;

namespace {

// The building kinds whose service button the hints tell apart.
constexpr s32 KindFishingCenter = BuildingKindFirstRuin;
constexpr s32 KindObservation = BuildingKindServed;
constexpr s32 KindPyramid = BuildingKindNoFeatureIcons;
constexpr s32 KindStation = 6;
constexpr s32 KindHeadquarters = BuildingKindAquaPark;
// Below this bonus a lot that is not for sale cannot be bought.
constexpr f32 FullNotForSaleBonus = 1.0f;

// The names the hover handlers compare, interned once.
struct HintNames {
    CNameId SellButton{"SellButton"};
    CNameId HotelsButton{"HotelsButton"};
    CNameId JoysButton{"JoysButton"};
    CNameId FactoriesButton{"FactoriesButton"};
    CNameId BuyButton{"BuyButton"};
    CNameId AcceptSellOfferButton{"AcceptSellOfferButton"};
    CNameId DeclineSellOfferButton{"DeclineSellOfferButton"};
    CNameId UpgradeButton{"UpgradeButton"};
    CNameId RepairButton{"RepairButton"};
    CNameId CleanButton{"CleanButton"};
    CNameId DestroyButton{"DestroyButton"};
    CNameId CustomServeButton{"CustomServeButton"};
    CNameId FeatureButtons[2] = {CNameId("ActiveFeature1Button"), CNameId("ActiveFeature2Button")};
    CNameId BackToBuildButton{"BackToBuildButton"};
    CNameId SkipTutorialButton{"SkipTutorialButton"};
    CNameId HotelsBuildList{"HotelsBuildList"};
    CNameId JoysBuildList{"JoysBuildList"};
    CNameId FactoriesBuildList{"FactoriesBuildList"};
    CNameId BuyMaterialsList{"BuyMaterialsList"};
    CNameId TrainWorkersList{"TrainWorkersList"};
    CNameId GameUnSellButton{"Game_UnSellButton"};
};

const HintNames& names() {
    static const HintNames table;
    return table;
}

bool isName(s32 name, const CNameId& id) { return name == id.getId(); }
bool isEnabled(BaseNode* control) {
    const ControlNode* c = ControlNode::asControlNode(control);
    return c && c->isEnabled();
}
// Whether the control is a sell button that takes the lot off the market.
bool isUnSellButton(BaseNode* control) {
    const ControlNode* c = ControlNode::asControlNode(control);
    return c && c->getTemplateName() == names().GameUnSellButton.getId();
}
// The hint of an enabled or disabled control.
const char* byEnabled(BaseNode* control, const char* enabled, const char* disabled) {
    return isEnabled(control) ? enabled : disabled;
}

// The hints of the service button, by building kind, for a lot to restore and otherwise
// (enabled, disabled); none where the button has no hint.
struct ServiceHints {
    s32 kind;
    bool restore;
    const char* enabled;
    const char* disabled;
};
const ServiceHints ServiceHintTable[] = {
    {KindFishingCenter, true, "%Hint_BuildingTabRestoreFishingCenter%",
     "%Hint_BuildingTabCantRestoreFishingCenter%"},
    {KindObservation, true, "%Hint_BuildingTabObservationBuild%",
     "%Hint_BuildingTabObservationCantBuild%"},
    {KindPyramid, true, "%Hint_BuildingTabPyramidClean%", "%Hint_BuildingTabCantPyramidClean%"},
    {KindPyramid, false, "%Hint_BuildingTabPyramidShow%", "%Hint_BuildingTabCantPyramidShow%"},
    {KindStation, true, "%Hint_BuildingTabStationBuild%", "%Hint_BuildingTabStationCantBuild%"},
    {KindHeadquarters, true, "%Hint_BuildingTabHQBuild%", "%Hint_BuildingTabHQCantBuild%"},
};

// The title of the service button's cost tooltip by building kind.
const char* serviceCostTitle(s32 kind) {
    if (kind == KindFishingCenter) return "%Hint_BuildingTabRestore%";
    if (kind == KindObservation || kind == KindStation || kind == KindHeadquarters)
        return "%Hint_BuildingTabBuild%";
    if (kind == KindPyramid) return "%Hint_BuildingTabExcavate%";
    return "";
}

// The pages of the build lists with their kinds, in the order the hints reset them.
struct BuildPage {
    s32 kind;
    s32 tab;
};
const BuildPage BuildPages[] = {
    {GGamePlayScene::BuildListHotels, GGamePlayScene::TabHotels},
    {GGamePlayScene::BuildListJoys, GGamePlayScene::TabJoys},
    {GGamePlayScene::BuildListFactories, GGamePlayScene::TabFactories},
};

}  // namespace

// ---- Hint lines ----

void GGamePlayScene::updateBuildingPlaceHint(BaseNode* control) {
    TextNode* hint = scenes::textChildOf(m_tabs[TabBuildingPlace], "HintText");
    if (!hint || !dictionary()) return;
    const HintNames& n = names();
    if (!control) {
        hint->setText(L"%Hint_BuildingPlace%");
        return;
    }
    const s32 name = control->getNameId();
    if (isName(name, n.SellButton))
        hint->setText(isUnSellButton(control) ? L"%Hint_BuildingPlaceUnSellButton%"
                                              : L"%Hint_BuildingPlaceSellButton%");
    else if (isName(name, n.HotelsButton))
        hint->setText(L"%Hint_BuildingPlaceHotels%");
    else if (isName(name, n.JoysButton))
        hint->setText(L"%Hint_BuildingPlaceJoys%");
    else if (isName(name, n.FactoriesButton))
        hint->setText(L"%Hint_BuildingPlaceFactories%");
}

void GGamePlayScene::updateBuyTabHint(BaseNode* control) {
    TextNode* hint = scenes::textChildOf(m_tabs[TabBuy], "HintText");
    if (!hint || !dictionary()) return;
    if (!control) {
        hint->setText(L"%Hint_BuyTab%");
        return;
    }
    GBuildingNode* place = m_levelScene ? m_levelScene->getFocusedBuilding() : nullptr;
    if (!place || !isName(control->getNameId(), names().BuyButton)) return;
    const GLevelConfiguration* config = m_levelScene->getLevelConfiguration();
    const f32 bonus = config ? config->Factors.BuyNotForSaleBuildingPriceBonus : 0.0f;
    if (!place->isForSale() && bonus < FullNotForSaleBonus)
        hint->setText(L"%Hint_CantBuyNotForSaleButton%");
    else if (place->getPrice(nullptr) <= m_levelScene->Money)
        hint->setText(L"%Hint_BuyButton%");
    else
        hint->setText(L"%Hint_CantBuyButton%");
}

void GGamePlayScene::updateBuyRequestTabHint(BaseNode* control) {
    TextNode* hint = scenes::textChildOf(m_tabs[TabBuyRequest], "HintText");
    if (!hint || !dictionary()) return;
    const HintNames& n = names();
    if (!control)
        hint->setText(L"%Hint_BuyRequestTab%");
    else if (isName(control->getNameId(), n.AcceptSellOfferButton))
        hint->setText(L"%Hint_BuyRequestAcceptButton%");
    else if (isName(control->getNameId(), n.DeclineSellOfferButton))
        hint->setText(L"%Hint_BuyRequestDeclineButton%");
}

void GGamePlayScene::updateBuildingTabHint(BaseNode* control) {
    m_describedFeature = -1;
    TextNode* hint = m_buildingHintText;
    CTextDictionary* texts = dictionary();
    GBuildingNode* place = m_levelScene ? m_levelScene->getFocusedBuilding() : nullptr;
    GBuildingConfig* type = place ? place->getCurrentType() : nullptr;
    if (!hint || !texts || !type) return;
    CRefPtr<BaseNode> self(this);
    const HintNames& n = names();
    const s32 process = place->getProcessKind();
    if (process != BuildingProcessNone && process != BuildingProcessTimedService) {
        // The work's own hint stays whatever is hovered.
        stringw title;
        stringw text;
        getProcessTexts(place, title, text);
        hint->setText(text);
    } else if (!control) {
        const bool quiet =
            type->Type >= BuildingKindFirstRuin && place->isWorking() && type->Features.empty();
        hint->setText(quiet ? stringw() : stringw(L"%Hint_BuildingTab%"));
    } else {
        const s32 name = control->getNameId();
        const s32 problem = place->getProblemState();
        const char* text = nullptr;
        if (isName(name, n.SellButton)) {
            text = isUnSellButton(control) ? "%Hint_BuildingUnSellButton%"
                                           : "%Hint_BuildingSellButton%";
        } else if (isName(name, n.UpgradeButton)) {
            text = nextTypeOf(m_levelScene.get(), type)
                       ? byEnabled(control, "%Hint_BuildingTabUpgrade%",
                                   "%Hint_BuildingTabCantUpgrade%")
                       : "%Hint_BuildingTabNoUpgrade%";
        } else if (isName(name, n.RepairButton)) {
            text = problem == BuildingProblemBroken ? byEnabled(control, "%Hint_BuildingTabRepare%",
                                                                "%Hint_BuildingTabCantRepare%")
                                                    : "%Hint_BuildingTabNoRepare%";
        } else if (isName(name, n.CleanButton)) {
            text = problem == BuildingProblemDirty ? byEnabled(control, "%Hint_BuildingTabClean%",
                                                               "%Hint_BuildingTabCantClean%")
                                                   : "%Hint_BuildingTabNoClean%";
        } else if (isName(name, n.DestroyButton)) {
            text = byEnabled(control, "%Hint_BuildingTabDestroy%", "%Hint_BuildingTabCantDestroy%");
        } else if (isName(name, n.CustomServeButton)) {
            const bool restore = problem == BuildingProblemRuin;
            for (const ServiceHints& row : ServiceHintTable)
                if (row.kind == type->Type && row.restore == restore) {
                    text = byEnabled(control, row.enabled, row.disabled);
                    break;
                }
        } else {
            for (s32 index = 0; index < 2; ++index) {
                if (!isName(name, n.FeatureButtons[index])) continue;
                const u32 slot = static_cast<u32>(index);
                if (!place->isFeatureUnlocked(index) || slot >= type->Features.size())
                    text = "%Hint_BuildingTabFeatureUnavailable%";
                else if (place->getFeatureState(index) == GBuildingFeatureState::Recharging)
                    text = "%Hint_BuildingTabFeatureRecharging%";
                else if (place->getFeatureState(index) == GBuildingFeatureState::Active)
                    text = "%Hint_BuildingTabFeatureActive%";
                else
                    hint->setText(type->Features[slot].ButtonInfoText);
                m_describedFeature = index;
            }
        }
        if (text) hint->setText(stringw(text));
    }
    fillBuildingInfo(scenes::childOf(m_tabs[TabBuilding], "BuildingInfoNode"), type, place, true);
}

void GGamePlayScene::updateBuildTabHint(s32 kind, BaseNode* page, GBuildingConfig* type,
                                        GBuildingNode* place) {
    if (!page) return;
    TextNode* hint = scenes::textChildOf(page, "HintText");
    TextNode* label = scenes::textChildOf(page, "Label");
    TextNode* labelText = scenes::textChildOf(page, "LabelText");
    BaseNode* info = scenes::childOf(page, "BuildingInfoNode");
    showNode(labelText, true);
    showNode(info, false);
    CTextDictionary* texts = dictionary();
    if (!hint || !label || !labelText || !info || !texts) return;
    if (!place) {
        if (kind == BuildListHotels) {
            hint->setText(L"%Hint_BuildTab_Hotels%");
        } else if (kind == BuildListFactories) {
            hint->setText(L"%Hint_BuildTab_Factories%");
        } else if (kind == BuildListJoys) {
            hint->setText(L"%Hint_BuildTab_Joys%");
            label->setText(L"%Hint_BuildTabJoys%");
            labelText->setText(L"%Hint_BuildTabJoysTip%");
        }
        return;
    }
    if (!type) {
        hint->setText(L"%Hint_BuildTabBack%");
        return;
    }
    if (kind == BuildListJoys) {
        const bool bonus = type->ServeAreaIncomeBonus > 0.0f;
        label->setText(bonus ? L"%Hint_BuildTabJoys2%" : L"%Hint_BuildTabJoys1%");
        labelText->setText(bonus ? L"%Hint_BuildTabJoys2Tip%" : L"%Hint_BuildTabJoys1Tip%");
    }
    labelText->setVisible(false);
    info->setVisible(true);
    fillBuildingInfo(info, type, place, false);
    hint->setText(keyText(texts, "Hint_BuildTabBuild", texts->getText(type->DisplayName)));
}

void GGamePlayScene::resetBuildTabHints(GBuildingNode* place) {
    for (const BuildPage& page : BuildPages)
        updateBuildTabHint(page.kind, m_tabs[page.tab], nullptr, place);
}

// ---- Hover ----

bool GGamePlayScene::showButtonTooltip(s32 name, BaseNode* control, GBuildingNode* place) {
    const HintNames& n = names();
    GBuildingConfig* type = place ? place->getCurrentType() : nullptr;
    const GLevelConfiguration* config =
        m_levelScene ? m_levelScene->getLevelConfiguration() : nullptr;
    const vector3df at(control->getPosition().X, TooltipY, TooltipZ);
    const auto price = [&]() { return roundedHalfUp(place->getPrice(nullptr)); };

    if (isName(name, n.UpgradeButton)) {
        updateBuildingTabHint(control);
        if (GBuildingConfig* next = type ? nextTypeOf(m_levelScene.get(), type) : nullptr)
            showCostTooltip(at, L"%Hint_UpgradeBuildingTitle%",
                            truncated(next->getBuildMaterialsCost(config)),
                            next->getBuildWorkersCost(config));
    } else if (isName(name, n.RepairButton)) {
        updateBuildingTabHint(control);
        if (type)
            showCostTooltip(at, L"%Hint_RepairBuildingTitle%",
                            truncated(type->getRepairMaterialsCost(config)),
                            type->getRepairWorkersCost(config));
    } else if (isName(name, n.CleanButton)) {
        updateBuildingTabHint(control);
        if (type)
            showWorkersTooltip(at, L"%Hint_CleanBuildingTitle%",
                               type->getRepairWorkersCost(config));
    } else if (isName(name, n.DestroyButton)) {
        updateBuildingTabHint(control);
        if (type)
            showWorkersTooltip(at, L"%Hint_DestroyBuildingTitle%",
                               type->getDestroyWorkersCost(config));
    } else if (isName(name, n.BuyButton)) {
        if (type) showMoneyTooltip(at, L"%Hint_BuyBuildingTitle%", true, price());
        updateBuyTabHint(control);
    } else if (isName(name, n.AcceptSellOfferButton) || isName(name, n.DeclineSellOfferButton)) {
        updateBuyRequestTabHint(control);
    } else if (isName(name, n.SellButton)) {
        if (type) showMoneyTooltip(at, L"%Hint_SaleBuildingTitle%", false, price());
        updateBuildingPlaceHint(control);
        updateBuildingTabHint(control);
    } else if (isName(name, n.FeatureButtons[0])) {
        updateBuildingTabHint(control);
        if (type && !type->Features.empty() && !type->Features[0].Name.empty())
            showFeatureInfo(at, type->Features[0].Name);
    } else if (isName(name, n.FeatureButtons[1])) {
        updateBuildingTabHint(control);
        if (type && type->Features.size() >= 2 && place->isFeatureUnlocked(1) &&
            !type->Features[1].Name.empty())
            showFeatureInfo(at, type->Features[1].Name);
    } else if (isName(name, n.CustomServeButton)) {
        updateBuildingTabHint(control);
        if (!type) return true;
        if (type->Type == KindPyramid && place->getProblemState() != BuildingProblemRuin &&
            !type->Features.empty())
            showMoneyTooltip(at, L"%Hint_ActivateFeatureTitle%", true,
                             truncated(type->Features[0].MoneyCost));
        else
            showCostTooltip(at, stringw(serviceCostTitle(type->Type)),
                            truncated(type->getBuildMaterialsCost(config)),
                            type->getBuildWorkersCost(config));
    } else if (isName(name, n.BackToBuildButton)) {
        resetBuildTabHints(place);
    } else if (isName(name, n.HotelsButton) || isName(name, n.JoysButton) ||
               isName(name, n.FactoriesButton)) {
        updateBuildingPlaceHint(control);
    } else if (!isName(name, n.SkipTutorialButton)) {
        return false;
    }
    return true;
}

bool GGamePlayScene::onNodeHovered(CEvent* event) {
    if (GBaseSceneNode::onNodeHovered(event)) return true;
    CRefPtr<BaseNode> self(this);
    showNode(m_incomeGuestsInfoNode, false);
    showNode(m_guestsInfoNode, false);
    BaseNode* node = scenes::noticeNode(event);
    if (!node) return false;
    GBuildingNode* focused = m_levelScene ? m_levelScene->getFocusedBuilding() : nullptr;
    if (showButtonTooltip(node->getNameId(), node, focused)) return true;
    if (node->isKindOf(GameNodeTypeBuildingNode)) {
        auto* building = static_cast<GBuildingNode*>(node);
        m_previewedPlace = building;
        m_previewedType = building->getCurrentType();
        showBuildingIncomeInfo(m_previewedType, m_previewedPlace);
        showBuildPreview(m_previewedType, m_previewedPlace);
    }
    return false;
}

bool GGamePlayScene::onNodeUnhovered(CEvent* event) {
    if (GBaseSceneNode::onNodeUnhovered(event)) return true;
    CRefPtr<BaseNode> self(this);
    for (BaseNode* popup :
         {m_moneyInfoNode, m_materialsWorkersTooltipNode, m_workersInfoNode, m_featureInfoNode})
        showNode(popup, false);
    BaseNode* node = scenes::noticeNode(event);
    if (!node) return false;
    const HintNames& n = names();
    const s32 name = node->getNameId();
    if (isName(name, n.HotelsBuildList) || isName(name, n.JoysBuildList) ||
        isName(name, n.FactoriesBuildList)) {
        showNode(m_incomeGuestsInfoNode, false);
        showNode(m_guestsInfoNode, false);
        if (m_previewedPlace) m_previewedPlace->previewBuilding(nullptr);
        m_previewedPlace = nullptr;
        m_previewedType = nullptr;
        showBuildPreview(nullptr, nullptr);
        resetBuildTabHints(nullptr);
    } else if (isName(name, n.BuyMaterialsList)) {
        updateMaterialsHint(nullptr, false);
    } else if (isName(name, n.TrainWorkersList)) {
        updateWorkersHint(nullptr, false);
    } else if (isName(name, n.SellButton)) {
        updateBuildingPlaceHint(nullptr);
        updateBuildingTabHint(nullptr);
    } else if (isName(name, n.BuyButton)) {
        updateBuyTabHint(nullptr);
    } else if (isName(name, n.AcceptSellOfferButton) || isName(name, n.DeclineSellOfferButton)) {
        updateBuyRequestTabHint(nullptr);
    } else if (isName(name, n.UpgradeButton) || isName(name, n.RepairButton) ||
               isName(name, n.CleanButton) || isName(name, n.DestroyButton) ||
               isName(name, n.CustomServeButton) || isName(name, n.FeatureButtons[0]) ||
               isName(name, n.FeatureButtons[1])) {
        updateBuildingTabHint(nullptr);
    } else if (isName(name, n.BackToBuildButton)) {
        resetBuildTabHints(nullptr);
    } else if (isName(name, n.HotelsButton) || isName(name, n.JoysButton) ||
               isName(name, n.FactoriesButton)) {
        updateBuildingPlaceHint(nullptr);
    } else if (node->isKindOf(GameNodeTypeBuildingNode)) {
        auto* building = static_cast<GBuildingNode*>(node);
        showNode(m_incomeGuestsInfoNode, false);
        showNode(m_guestsInfoNode, false);
        m_previewedPlace = nullptr;
        m_previewedType = nullptr;
        showBuildPreview(nullptr, nullptr);
        if (!m_levelScene || building != m_levelScene->getFocusedBuilding())
            building->showServeArea(nullptr);
    } else {
        return false;
    }
    return true;
}

}  // namespace brasquel
