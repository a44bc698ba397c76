#include "game/level/GGameLevelScene.h"

#include <algorithm>
#include <cmath>

#include "engine/core/CLogger.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingProcess.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GNeutralCarTraffic.h"
#include "game/level/GLevelUpgrades.h"
#include "game/level/GRandomEventRequest.h"

namespace brasquel {

using namespace oskel;

namespace {

// Takes a reference of its own to the object (none lets go).
template <class T, class U>
void hold(CRefPtr<T>& ref, U* object) {
    ref = CRefPtr<T>(static_cast<T*>(object));
}

// The lots' area starts at the middle of the screen and covers each lot's place and this much
// to its right and below; then it grows by a margin above and below.
constexpr s32 AreaStartX = 512;
constexpr s32 AreaStartY = 389;
constexpr s32 LotReachX = 135;
constexpr s32 LotReachY = 60;
constexpr s32 AreaMarginY = 30;

}  // namespace

GGameLevelScene::GGameLevelScene(const CCreationContext& context, BaseNode* parent,
                                 SceneManager* manager)
    : SceneNode(context, parent, manager), IUpdateReceiver(StepPeriodMs) {}

GGameLevelScene::~GGameLevelScene() {
    setUpdateSource(nullptr);
    if (m_configuration && m_configuration->RandomEvents) m_configuration->RandomEvents->stopAll();
    if (m_buildingsNode) m_buildingsNode->removePostReceiver(this);
    for (const CRefPtr<GBuildingNode>& lot : m_lots)
        if (lot->getLevelScene() == this) lot->setLevelScene(nullptr);
}

BaseNode* GGameLevelScene::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GGameLevelScene>(this, parent, manager);
}

const stringw& GGameLevelScene::getClassName() const {
    static const stringw name(L"GGameLevelScene");
    return name;
}

const stringw& GGameLevelScene::getThisClassName() const {
    static const stringw name(L"GGameLevelScene");
    return name;
}

s32 GGameLevelScene::getTypeId() const { return GameNodeTypeGameLevelScene; }

bool GGameLevelScene::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypeGameLevelScene || SceneNode::isKindOf(typeId);
}

void GGameLevelScene::copyFrom(const BaseNode* source, SceneManager* manager) {
    SceneNode::copyFrom(source, manager);
    if (source && source->isKindOf(GameNodeTypeGameLevelScene))
        m_configuration = static_cast<const GGameLevelScene*>(source)->m_configuration;
}

void GGameLevelScene::onLoaded() {
    if (m_buildingsNode) m_buildingsNode->removePostReceiver(this);
    m_buildingsNode = nullptr;
    m_lots.clear();
    BaseNode* buildings = findChildByName("Buildings", 1);
    if (buildings && buildings->isKindOf(NodeTypeControl)) {
        hold(m_buildingsNode, buildings);
        buildings->addPostReceiver(this);
        for (BaseNode* child : buildings->getChildren())
            if (child->isKindOf(GameNodeTypeBuildingNode))
                m_lots.emplace_back(static_cast<GBuildingNode*>(child));
    }

    s32 left = AreaStartX, top = AreaStartY, right = AreaStartX, bottom = AreaStartY;
    for (const CRefPtr<GBuildingNode>& lot : m_lots) {
        const s32 x = static_cast<s32>(lot->getPosition().X);
        const s32 y = static_cast<s32>(lot->getPosition().Y);
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x + LotReachX);
        bottom = std::max(bottom, y + LotReachY);
    }
    m_lotsArea = Rect(left, top - AreaMarginY, right, bottom + AreaMarginY);

    hold(m_cargosNode, findChildByName("CargosNode", 1));
    if (BaseNode* pedestrians = findChildByName("Pedestrians", 1)) pedestrians->setVisible(false);
}

bool GGameLevelScene::update(u32) {
    // The level's running (time, processes, deliveries, days) comes with its operations; until
    // then a step leaves everything as it is.
    return true;
}

void GGameLevelScene::setBuildingsConfiguration(GBuildingsConfiguration* configuration) {
    hold(m_buildings, configuration);
}

void GGameLevelScene::setLevelConfiguration(GLevelConfiguration* configuration) {
    if (m_configuration && m_configuration.get() != configuration && m_configuration->RandomEvents)
        m_configuration->RandomEvents->stopAll();
    hold(m_configuration, configuration);
    if (!configuration) return;
    DayTime = 0.0f;
    Money = configuration->InitMoney;
    Rating = configuration->InitRating;
    Materials = configuration->InitMaterialsCount;
    Workers = configuration->InitWorkersCount;
    WorkersTotal = configuration->InitWorkersCount;
    CRefPtr<GGameLevelScene> self(this);
    for (const CRefPtr<GBuildingNode>& lot : m_lots) {
        lot->setLevelScene(this);
        lot->setLevelConfiguration(configuration);
        if (!m_buildings) continue;
        GBuildingConfig* type = m_buildings->find(CNameId::fromId(lot->getTemplateName()));
        if (!type) {
            stringc hint("place \"");
            hint += lot->getNodeName();
            hint += "\", template \"";
            hint += CNameId::fromId(lot->getTemplateName()).getName();
            hint += "\"";
            CLogger::instance().logHint("Building place names no building type: left without one",
                                        hint.c_str(), LogError);
            continue;
        }
        lot->setType(type, false);
    }
    if (configuration->RandomEvents)
        configuration->RandomEvents->startAll(this, getSceneBinding().scheduler);
    if (configuration->Objectives) configuration->Objectives->resetAll();
}

void GGameLevelScene::setLevelPaths(GLevelPaths* paths) { hold(m_paths, paths); }

void GGameLevelScene::setUpgradeEffects(GLevelUpgrades* upgrades) { hold(m_upgrades, upgrades); }

bool GGameLevelScene::isFeatureAllowed(s32 typeName, s32 featureIndex) const {
    return m_configuration && m_upgrades &&
           m_upgrades->isFeatureAllowed(CNameId::fromId(typeName), featureIndex);
}

stringw GGameLevelScene::getLevelName() const {
    return m_configuration ? m_configuration->Name : stringw();
}

stringw GGameLevelScene::getLevelDescription() const {
    return m_configuration ? m_configuration->Description : stringw();
}

s32 GGameLevelScene::getLevelTimeLimit() const {
    return m_configuration ? m_configuration->LevelTime : 0;
}

s32 GGameLevelScene::getLevelScore() const { return m_configuration ? m_configuration->Score : 0; }

s32 GGameLevelScene::getLevelExpertScore() const {
    return m_configuration ? m_configuration->ExpertScore : 0;
}

bool GGameLevelScene::canAffordBuilding(const GBuildingConfig* type) const {
    if (!type) return false;
    const GLevelConfiguration* level = m_configuration.get();
    return Money >= type->Cost && Materials >= type->getBuildMaterialsCost(level) &&
           Workers >= type->getBuildWorkersCost(level);
}

bool GGameLevelScene::canBuyBuilding(const GBuildingNode* lot) const {
    if (!lot || lot->isOwnedByThePlayer()) return false;
    const GBuildingConfig* type = lot->getCurrentType();
    if (!type || type->Name.getId() == -1) return false;
    if (!lot->isForSale()) {
        if (!m_configuration || m_configuration->Factors.BuyNotForSaleBuildingPriceBonus < 1.0f)
            return false;
    }
    return lot->getPrice() <= Money;
}

s32 GGameLevelScene::getRatingLevel() const {
    const GLevelConfiguration* level = m_configuration.get();
    if (!level) return 0;
    const u32 count = level->RatingThresholds.size();
    s32 i = 0;
    f32 x = Rating;
    // The thresholds of the table one by one; past its end the last one repeats.
    while (x >= 0.0f) {
        ++i;
        const u32 index = static_cast<u32>(i);
        const s32 threshold = level->getRatingThreshold(index);
        if (count == 0 || index >= count - 1) {
            // The repeating threshold: whole multiples of it at once. One that takes nothing
            // away would be reached for ever: it counts once and the count stops there.
            if (threshold <= 0) return i;
            const f64 more = std::floor(static_cast<f64>(x) / threshold);
            return i - 1 + static_cast<s32>(std::min(more, 2147483646.0 - i));
        }
        x -= static_cast<f32>(threshold);
    }
    return i - 1;
}

GBuildingNode* GGameLevelScene::getFocusedBuilding() const {
    auto* buildings = ControlNode::asControlNode(m_buildingsNode.get());
    if (!buildings) return nullptr;
    BaseNode* focused = buildings->getFocusedChild();
    if (!focused || !focused->isKindOf(GameNodeTypeBuildingNode)) return nullptr;
    auto* lot = static_cast<GBuildingNode*>(focused);
    return lot->isFocused() ? lot : nullptr;
}

s32 GGameLevelScene::countBuildingsOfType(s32 typeName) const {
    s32 count = 0;
    for (const CRefPtr<GBuildingNode>& lot : m_lots) {
        if (lot->isOwnedByThePlayer() && lot->getCurrentType()->Name.getId() == typeName) ++count;
        if (lot->getProcessKind() == BuildingProcessDemolition && lot->getPreviousType() &&
            lot->getPreviousType()->Name.getId() == typeName)
            ++count;
    }
    return count;
}

}  // namespace brasquel
