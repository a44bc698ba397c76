// The play screen's info panel about a building type on a lot, the income box over a hovered
// building, the cost, money and workers tooltips, the feature pop-up and the texts that name a
// lot's running work.

#include <algorithm>

#include "engine/content/CResource.h"
#include "engine/content/IContentManager.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingProcess.h"
#include "game/level/GLevelConfiguration.h"
#include "game/play/GGamePlayInfoSupport.h"
#include "game/play/GGamePlayScene.h"

namespace brasquel {

using namespace oskel;
using namespace playinfo;

namespace {

const char* const IconFolder = "scenes/images/GameMenu/Icons/";
const char* const SnowIconSuffix = "_snow";
const char* const IconExtension = ".png";
const char* const FilledStarPicture = "levels/common/Stars/FilledStar.png";
const char* const EmptyStarPicture = "levels/common/Stars/EmptyStar.png";
// The level setting whose icons wear snow.
constexpr s32 SnowSetting = 4;
// The vertical alignment that puts a text's first line at the node's top.
constexpr s32 DescriptionTopAligned = 1;
// Where the description goes under the figures: below the figures of a top-aligned description,
// below the name when there are no figures (or below the figures' top without a name), and
// below the figures otherwise.
constexpr f32 DescriptionBelowAlignedStats = -17.0f;
constexpr f32 DescriptionBelowName = 15.0f;
constexpr f32 DescriptionWithoutName = 22.0f;
constexpr f32 DescriptionBelowStats = -6.0f;

// The slots of the remembered tooltip values: the materials cost or money amount, the workers
// cost, and the money tooltip's check flag.
constexpr u32 AmountSlot = 0;
constexpr u32 WorkersSlot = 1;
constexpr u32 CheckSlot = 2;

// The building kinds the work texts tell apart.
constexpr s32 KindFishingCenter = BuildingKindFirstRuin;
constexpr s32 KindObservation = BuildingKindServed;
constexpr s32 KindPyramid = BuildingKindNoFeatureIcons;
constexpr s32 KindStation = 6;
constexpr s32 KindHeadquarters = BuildingKindAquaPark;

// A value line of a tooltip: "x " and the value, tinted by whether the level covers it.
void setValueLine(BaseNode* tooltip, const char* name, const stringw& value, bool short_) {
    TextNode* line = scenes::textChildOf(tooltip, name);
    if (!line) return;
    line->setText(stringw(L"x ") + value);
    line->setTintColor(short_ ? GGamePlayScene::TooltipShortColor
                              : GGamePlayScene::TooltipCoveredColor);
}

// The dictionary keys of a work's title and hint.
struct ProcessKeys {
    const char* title;
    const char* hint;
};

// The keys naming the work running on a lot of the type; none for work without a name.
const ProcessKeys* processKeys(s32 process, const GBuildingConfig& type) {
    static const ProcessKeys Upgrade{"InProgress_Upgrade", "InProgress_UpgradeHint"};
    static const ProcessKeys Building{"InProgress_Building", "InProgress_BuildingHint"};
    static const ProcessKeys Destroy{"InProgress_Destroy", "InProgress_DestroyHint"};
    static const ProcessKeys Fishing{"FishingCenterInProgress", "FishingCenterInProgressHint"};
    static const ProcessKeys Pyramid{"PyramidInProgress", "PyramidInProgressHint"};
    static const ProcessKeys Repair{"InProgress_Repare", "InProgress_RepareHint"};
    static const ProcessKeys PyramidShow{"PyramidConfInProgress", "PyramidConfInProgressHint"};
    static const ProcessKeys Feature{"InProgress_Feature", "InProgress_FeatureHint"};
    switch (process) {
        case BuildingProcessConstruction:
            return type.Level > 1 ? &Upgrade : &Building;
        case BuildingProcessDemolition:
            return &Destroy;
        case BuildingProcessMaintenance:
            if (type.Type == KindFishingCenter) return &Fishing;
            if (type.Type == KindObservation || type.Type == KindStation ||
                type.Type == KindHeadquarters)
                return &Building;
            if (type.Type == KindPyramid) return &Pyramid;
            return &Repair;
        case BuildingProcessFeature:
            return type.Type == KindPyramid ? &PyramidShow : &Feature;
        default:
            return nullptr;
    }
}

}  // namespace

void GGamePlayScene::fillBuildingInfo(BaseNode* panel, const GBuildingConfig* type,
                                      GBuildingNode* place, bool fullDescription) {
    CTextDictionary* texts = dictionary();
    if (!texts || !panel || !place || !type) return;
    CRefPtr<BaseNode> self(this);
    TextNode* nameText = scenes::textChildOf(panel, "NameText");
    TextNode* statsText = scenes::textChildOf(panel, "StatsText");
    BaseNode* afterUpgrade = scenes::childOf(panel, "AfterUpgradeNode");
    BaseNode* broken = scenes::childOf(panel, "BrokenNode");
    BaseNode* description = scenes::childOf(panel, "DescriptionNode");
    BaseNode* preview = scenes::childOf(panel, "Preview");
    for (BaseNode* optional :
         {static_cast<BaseNode*>(statsText), afterUpgrade, broken, description})
        showNode(optional, false);
    const GLevelConfiguration* config =
        m_levelScene ? m_levelScene->getLevelConfiguration() : place->getLevelConfiguration();

    if (nameText) {
        const stringw name = texts->getText(type->DisplayName);
        const stringw price = moneyText(texts, grouped(roundedHalfUp(place->getPrice(type))));
        nameText->setText(name + L": " + price);
        // A name that wraps puts the price on a line of its own.
        if (nameText->getLineCount() > 1) nameText->setText(name + L":\n" + price);
    }

    if (type->Level > 0) {
        stringw stats;
        if (statsText) {
            const auto addLine = [&](const char* key, const stringw& value) {
                stats += keyText(texts, key, value);
                stats += L"\n";
                statsText->setVisible(true);
            };
            const s32 income = roundedHalfUp(place->getIncome(type));
            const s32 boost = roundedHalfUp(place->getBoostIncome());
            if (income != 0 || boost != 0) {
                stringw value = grouped(income);
                if (boost > 0) value += stringw(L" + ") + moneyText(texts, grouped(boost));
                addLine("GamePlay_Income", value);
            }
            const s32 baseGuests = type->getGuestsCount(nullptr);
            const s32 levelGuests = type->getGuestsCount(config);
            if (baseGuests > 0) {
                stringw value = guestsText(texts, grouped(baseGuests));
                if (levelGuests != baseGuests)
                    value += stringw(L" + ") + guestsText(texts, grouped(levelGuests - baseGuests));
                addLine("GamePlay_Guests", value);
            }
            if (type->ServeIncome > 0.0f)
                addLine("GamePlay_ServedGuests",
                        guestsText(texts, grouped(place->countServedGuests(type))));
            statsText->setText(stats);
        }

        TextNode* descriptionText = scenes::textChildOf(description, "Text");
        if (descriptionText && !type->Description.empty()) {
            const s32 feature = m_describedFeature;
            if (feature >= 0 && static_cast<u32>(feature) < type->Features.size())
                descriptionText->setText(type->Features[static_cast<u32>(feature)].InfoText);
            else
                descriptionText->setText(fullDescription ? type->FullDescription
                                                         : type->Description);
            description->setVisible(true);
        }

        if (statsText && description) {
            const f32 statsY = statsText->getPosition().Y;
            f32 y;
            if (descriptionText && descriptionText->getTextVAlign() == DescriptionTopAligned)
                y = statsY + statsText->getTextHeight() + DescriptionBelowAlignedStats;
            else if (stats.empty())
                y = nameText ? nameText->getPosition().Y + nameText->getTextHeight() +
                                   DescriptionBelowName
                             : statsY + DescriptionWithoutName;
            else
                y = statsY + statsText->getTextHeight() + DescriptionBelowStats;
            const vector3df at = description->getPosition();
            description->setPosition(vector3df(at.X, y, at.Z));
        }

        if (place->isOwnedByThePlayer()) {
            if (place->isWorking()) {
                GBuildingConfig* next = type->Type == BuildingKindLodging
                                            ? nextTypeOf(m_levelScene.get(), type)
                                            : nullptr;
                if (next && afterUpgrade) {
                    setText(
                        scenes::textChildOf(scenes::childOf(afterUpgrade, "IncomeNode"), "Text"),
                        keyText(texts, "GamePlay_Income",
                                grouped(roundedHalfUp(place->getIncome(next)))));
                    setText(
                        scenes::textChildOf(scenes::childOf(afterUpgrade, "GuestsNode"), "Text"),
                        keyText(texts, "GamePlay_Guests", plain(next->getGuestsCount(config))));
                    afterUpgrade->setVisible(true);
                }
            } else if (place->getProblemState() == BuildingProblemBroken) {
                showNode(broken, true);
            }
        }
    }

    SpriteNode* icon = asSprite(preview);
    if (!icon) return;
    stringc path(IconFolder);
    path += type->Name.getName();
    if (config && config->SettingIndex == SnowSetting) path += SnowIconSuffix;
    path += IconExtension;
    IContentManager* content = getContentManager();
    icon->setAtlasTexture(loadPicture(content, path).get());
    // A lodging of level L shows L - 1 filled stars; other kinds show none.
    const bool starred = type->Type == BuildingKindLodging && type->Level > 0;
    const std::vector<BaseNode*> children(icon->getChildren().begin(), icon->getChildren().end());
    for (size_t k = 0; k < children.size(); ++k) {
        SpriteNode* star = asSprite(children[k]);
        if (!star) continue;
        if (!starred) {
            star->setAtlasTexture(nullptr);
            continue;
        }
        const bool filled = static_cast<long long>(k) + 1 < static_cast<long long>(type->Level);
        star->setAtlasTexture(
            loadPicture(content, stringc(filled ? FilledStarPicture : EmptyStarPicture)).get());
    }
}

void GGamePlayScene::showBuildingIncomeInfo(const GBuildingConfig* type, GBuildingNode* place) {
    CTextDictionary* texts = dictionary();
    if (!texts || !m_levelScene || !type || !place) return;
    const bool owned = place->isOwnedByThePlayer();
    BaseNode* box = owned ? m_incomeGuestsInfoNode : m_guestsInfoNode;
    const bool shows =
        type->Type == BuildingKindLodging ? type->Level > 0 : type->ServeIncome > 0.0f;
    if (!box || !shows) return;
    const vector3df at = place->getPosition();
    box->setVisible(true);
    box->setPosition(
        vector3df(std::clamp(at.X, IncomeInfoMinX, IncomeInfoMaxX), at.Y, IncomeInfoZ));
    setText(scenes::textChildOf(box, "NameText"), texts->getText(type->DisplayName));
    stringw income;
    stringw guests;
    if (type->Level > 0) {
        if (owned) income = moneyText(texts, place->formatIncomeText(nullptr));
        if (type->Type == BuildingKindLodging)
            guests = guestsText(texts,
                                plain(type->getGuestsCount(m_levelScene->getLevelConfiguration())));
        else if (type->ServeIncome > 0.0f)
            guests = guestsText(texts, plain(place->countServedGuests(type)));
    }
    setText(scenes::textChildOf(box, "IncomeText"), stringw(L"x ") + income);
    setText(scenes::textChildOf(box, "GuestsText"), stringw(L"x ") + guests);
}

void GGamePlayScene::showCostTooltip(const vector3df& position, const stringw& title, s32 materials,
                                     s32 workers) {
    BaseNode* tooltip = m_materialsWorkersTooltipNode;
    if (!tooltip || !dictionary()) return;
    m_tooltipTitle = title;
    m_tooltipAmounts[AmountSlot] = materials;
    m_tooltipAmounts[WorkersSlot] = workers;
    tooltip->setVisible(true);
    tooltip->setPosition(position);
    const GGameLevelScene* level = m_levelScene.get();
    setValueLine(tooltip, "MaterialsText", plain(materials),
                 level && level->Materials < static_cast<f32>(materials));
    setValueLine(tooltip, "WorkersText", plain(workers), level && workers > level->Workers);
    setText(scenes::textChildOf(tooltip, "NameText"), title);
}

void GGamePlayScene::showMoneyTooltip(const vector3df& position, const stringw& title, bool check,
                                      s32 amount) {
    BaseNode* tooltip = m_moneyInfoNode;
    CTextDictionary* texts = dictionary();
    if (!tooltip || !texts) return;
    m_tooltipTitle = title;
    m_tooltipAmounts[AmountSlot] = amount;
    m_tooltipAmounts[CheckSlot] = check ? 1 : 0;
    tooltip->setVisible(true);
    tooltip->setPosition(position);
    const GGameLevelScene* level = m_levelScene.get();
    setValueLine(tooltip, "MoneyText", moneyText(texts, grouped(amount)),
                 check && level && level->Money < static_cast<f32>(amount));
    setText(scenes::textChildOf(tooltip, "NameText"), title);
}

void GGamePlayScene::showWorkersTooltip(const vector3df& position, const stringw& title,
                                        s32 workers) {
    BaseNode* tooltip = m_workersInfoNode;
    if (!tooltip || !dictionary()) return;
    m_tooltipTitle = title;
    m_tooltipAmounts[WorkersSlot] = workers;
    tooltip->setVisible(true);
    tooltip->setPosition(position);
    const GGameLevelScene* level = m_levelScene.get();
    setValueLine(tooltip, "WorkersText", plain(workers), level && workers > level->Workers);
    setText(scenes::textChildOf(tooltip, "NameText"), title);
}

void GGamePlayScene::showFeatureInfo(const vector3df& position, const stringw& text) {
    if (!m_featureInfoNode) return;
    m_tooltipTitle = text;
    m_featureInfoNode->setVisible(true);
    m_featureInfoNode->setPosition(position);
    setText(scenes::textChildOf(m_featureInfoNode, "NameText"), text);
}

void GGamePlayScene::getProcessTexts(const GBuildingNode* place, stringw& title,
                                     stringw& hint) const {
    CTextDictionary* texts = dictionary();
    const GBuildingConfig* type = place ? place->getCurrentType() : nullptr;
    if (!texts || !type) return;
    const ProcessKeys* keys = processKeys(place->getProcessKind(), *type);
    if (!keys) return;
    title = texts->getText(stringc(keys->title));
    hint = texts->getText(stringc(keys->hint));
}

void GGamePlayScene::showEntryCostTooltip(ListNode* list, s32 item, const GBuildingConfig* type) {
    CTextDictionary* texts = dictionary();
    if (!list || !type || !texts) return;
    const GLevelConfiguration* config =
        m_levelScene ? m_levelScene->getLevelConfiguration() : nullptr;
    const f32 x = list->getPosition().X + list->getElementPosition(item - list->getTopItem()).X;
    showCostTooltip(vector3df(x, TooltipY, TooltipZ), texts->getText(type->DisplayName),
                    roundedHalfUp(type->getBuildMaterialsCost(config)),
                    type->getBuildWorkersCost(config));
}

void GGamePlayScene::refreshIncomeInfo() {
    if (!m_previewedPlace) return;
    const bool shown = (m_incomeGuestsInfoNode && m_incomeGuestsInfoNode->isVisible()) ||
                       (m_guestsInfoNode && m_guestsInfoNode->isVisible());
    if (shown) showBuildingIncomeInfo(m_previewedType, m_previewedPlace);
}

void GGamePlayScene::refreshTooltip() {
    // The title is copied: each show writes it again.
    const stringw title = m_tooltipTitle;
    if (m_materialsWorkersTooltipNode && m_materialsWorkersTooltipNode->isVisible())
        showCostTooltip(m_materialsWorkersTooltipNode->getPosition(), title,
                        m_tooltipAmounts[AmountSlot], m_tooltipAmounts[WorkersSlot]);
    else if (m_workersInfoNode && m_workersInfoNode->isVisible())
        showWorkersTooltip(m_workersInfoNode->getPosition(), title, m_tooltipAmounts[WorkersSlot]);
    else if (m_moneyInfoNode && m_moneyInfoNode->isVisible())
        showMoneyTooltip(m_moneyInfoNode->getPosition(), title, m_tooltipAmounts[CheckSlot] != 0,
                         m_tooltipAmounts[AmountSlot]);
}

}  // namespace brasquel
