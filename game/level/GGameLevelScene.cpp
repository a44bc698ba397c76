#include "game/level/GGameLevelScene.h"

#include <algorithm>
#include <cmath>

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CTextDictionary.h"
#include "engine/nodes/NodeResources.h"
#include "engine/nodes/TextNode.h"
#include "engine/properties/CPropertyData.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/audio/CSoundGroupManager.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingProcess.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GCloudShadowEffect.h"
#include "game/level/GConstructionProcess.h"
#include "game/level/GDestroyProcess.h"
#include "game/level/GMaintenanceProcess.h"
#include "game/level/GServeProcesses.h"
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

// A money letter waits until its lot has gone this long without one.
constexpr s32 LetterPauseMs = 5000;
// A lot maintained this recently neither breaks nor gets dirty.
constexpr s32 MaintenanceGraceMs = 10000;
// Where the weather node stands: over the whole world.
constexpr f32 WeatherDepth = 5000.0f;
// The winter scenery snows instead of raining.
constexpr s32 WinterSettingIndex = 4;

s32 nameOf(const char* name) { return CNameId(name).getId(); }

void enterState(BaseNode* node, s32 state) {
    if (!node) return;
    if (node->findState(state))
        node->playState(state);
    else
        node->setState(state);
}

void playCue(const CNameId& cue) { static_cast<void>(playGameCue(cue)); }

bool listHolds(const array<CNameId>& list, s32 id) {
    for (u32 i = 0; i < list.size(); ++i)
        if (list[i].getId() == id) return true;
    return false;
}

// The type a lot has while counted: its current one, or the one it had while it is rebuilt.
const GBuildingConfig* ownedServiceType(const GBuildingNode& lot) {
    const GBuildingConfig* type = lot.getCurrentType();
    if (lot.getProcessKind() == BuildingProcessConstruction && type->Level > 0)
        return lot.getPreviousType();
    return type;
}

}  // namespace

OSKEL_BEGIN_EVENT_MAP(GGameLevelScene, SceneNode)
OSKEL_EVENT_HANDLER(EventNodeSceneSwitchBegin, onSceneSwitchBegin)
OSKEL_EVENT_HANDLER(EventNodePressPreview, onNodePressPreview)
OSKEL_EVENT_HANDLER(EventNodePressed, onNodePressed)
OSKEL_EVENT_HANDLER(EventNodeHovered, onNodeHovered)
OSKEL_EVENT_HANDLER(EventNodeUnhovered, onNodeUnhovered)
OSKEL_EVENT_HANDLER(EventNodeFocused, onNodeFocused)
OSKEL_EVENT_HANDLER(EventNodeUnfocused, onNodeUnfocused)
OSKEL_EVENT_HANDLER(GameEventBuildingBuilt, onBuildingBuilt)
OSKEL_EVENT_HANDLER(GameEventBuildingRepaired, onBuildingRepaired)
OSKEL_EVENT_HANDLER(GameEventBuildingCleaned, onBuildingCleaned)
OSKEL_EVENT_HANDLER(GameEventCustomServeDone, onCustomServeDone)
OSKEL_EVENT_HANDLER(GameEventBuildingProcessEnded, onBuildingProcessEnded)
OSKEL_EVENT_HANDLER(GameEventBuildingFeatureUsed, onBuildingFeatureUsed)
OSKEL_EVENT_HANDLER(GameEventBuildingDestroyed, onBuildingDestroyed)
OSKEL_EVENT_HANDLER(GameEventBuildingIncome, onBuildingIncome)
OSKEL_EVENT_HANDLER(GameEventResourcesReturned, onResourcesReturned)
OSKEL_EVENT_HANDLER(GameEventSellRequest, onSellRequest)
OSKEL_EVENT_HANDLER(GameEventBrokenRequest, onBrokenRequest)
OSKEL_EVENT_HANDLER(GameEventDirtyRequest, onDirtyRequest)
OSKEL_EVENT_HANDLER(GameEventCafeRequest, onCafeRequest)
OSKEL_EVENT_HANDLER(GameEventLetterRequest, onLetterRequest)
OSKEL_EVENT_HANDLER(GameEventWeatherRequest, onWeatherRequest)
OSKEL_EVENT_HANDLER(GameEventTutorialFlag, onTutorialFlag)
OSKEL_EVENT_HANDLER(GameEventHasBuildingQuery, onHasBuildingQuery)
OSKEL_END_EVENT_MAP()

GGameLevelScene::GGameLevelScene(const CCreationContext& context, BaseNode* parent,
                                 SceneManager* manager)
    : SceneNode(context, parent, manager), IUpdateReceiver(StepPeriodMs) {
    addCategory(CategoryGame);
}

GGameLevelScene::~GGameLevelScene() {
    setUpdateSource(nullptr);
    if (m_configuration && m_configuration->RandomEvents) m_configuration->RandomEvents->stopAll();
    if (m_buildingsNode) m_buildingsNode->removePostReceiver(this);
    // The running actions let go of the lots and the vehicle layer (and leave their receiver
    // lists) before the lots are unlinked: the lots' clock may outlive this scene. The lots are
    // not redrawn here: the content manager their icons come from may already be gone.
    std::vector<CRefPtr<GBuildingProcess>> processes;
    processes.swap(m_processes);
    for (const CRefPtr<GBuildingNode>& lot : m_lots)
        if (lot->getProcess()) lot->releaseProcess();
    processes.clear();
    m_letters.clear();
    unlinkLots();
}

void GGameLevelScene::unlinkLots() {
    for (const CRefPtr<GBuildingNode>& lot : m_lots) {
        if (lot->getLevelScene() != this) continue;
        lot->setLevelScene(nullptr);
        lot->setUpdateSource(nullptr);
    }
}

BRASQUEL_DEFINE_NODE_CLASS(GGameLevelScene, GameNodeTypeGameLevelScene, SceneNode)

void GGameLevelScene::copyFrom(const BaseNode* source, SceneManager* manager) {
    SceneNode::copyFrom(source, manager);
    if (source && source->isKindOf(GameNodeTypeGameLevelScene))
        m_configuration = static_cast<const GGameLevelScene*>(source)->m_configuration;
}

void GGameLevelScene::onLoaded() {
    if (m_buildingsNode) m_buildingsNode->removePostReceiver(this);
    m_buildingsNode = nullptr;
    unlinkLots();
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
    if (configuration->RandomEvents) {
        configuration->RandomEvents->startAll(this, getSceneBinding().scheduler);
        configuration->RandomEvents->setPaused(m_paused);
    }
    if (configuration->Objectives) configuration->Objectives->resetAll();
}

void GGameLevelScene::setLevelPaths(GLevelPaths* paths) {
    hold(m_paths, paths);
    // The passing cars of the level's roads, made under the vehicle layer.
    m_traffic = makeRef<GNeutralCarTraffic>(m_paths.get(), m_cargosNode.get());
}

void GGameLevelScene::setUpgradeEffects(GLevelUpgrades* upgrades) {
    hold(m_upgrades, upgrades);
    if (m_configuration) recalculateEconomy();
}

void GGameLevelScene::setPaused(bool paused) {
    m_paused = paused;
    // Pause freezes the timed requests too.
    if (m_configuration && m_configuration->RandomEvents)
        m_configuration->RandomEvents->setPaused(paused);
}

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

// ---- Shared helpers ----

void GGameLevelScene::send(CEvent* event) {
    CRefPtr<GGameLevelScene> self(this);
    dispatchEvent(DispatchSelfThenParents, event);
}

void GGameLevelScene::sendLevelChanged() { send(makeEvent<GEventLevelChanged>().get()); }

void GGameLevelScene::addHistory(s32 action, const GBuildingConfig* type,
                                 const GBuildingNode* lot) {
    m_history.push_back(GLevelHistoryRecord{action, type ? type->Name.getId() : -1,
                                            lot ? lot->getNameId() : -1, 0});
}

GLevelPath* GGameLevelScene::carPathOf(const GBuildingNode* lot) const {
    if (!m_paths || !lot) return nullptr;
    return m_paths->getRandomCarPath(lot->getNameId());
}

TemplateCollectionNode* GGameLevelScene::templates() const {
    SceneManager* manager = getSceneBinding().manager;
    if (!manager) manager = getSceneManager();
    return manager ? manager->getTemplateCollection() : nullptr;
}

void GGameLevelScene::startProcess(GBuildingNode* lot, s32 kind, GBuildingProcess* process) {
    CRefPtr<GBuildingProcess> held = CRefPtr<GBuildingProcess>::fromRaw(process);
    m_processes.push_back(held);
    if (lot) lot->setProcess(kind, process);
}

bool GGameLevelScene::isFreeForOperation(const GBuildingNode* lot) const {
    if (!lot || lot->getLevelScene() != this) return false;
    const s32 kind = lot->getProcessKind();
    return kind != BuildingProcessConstruction && kind != BuildingProcessDemolition &&
           kind != BuildingProcessMaintenance;
}

GBuildingNode* GGameLevelScene::drawLot(const std::vector<GBuildingNode*>& candidates) const {
    if (candidates.empty()) return nullptr;
    const u32 index = CRandom::instance().next() % static_cast<u32>(candidates.size());
    return candidates[index];
}

bool GGameLevelScene::matchesRequest(const GBuildingNode* lot, const GEventRequest* request) {
    if (!lot || !request) return false;
    if (request->BuildingTypes.size() > 0 &&
        !listHolds(request->BuildingTypes, lot->getCurrentType()->Name.getId()))
        return false;
    return request->PlaceNames.size() == 0 || listHolds(request->PlaceNames, lot->getNameId());
}

// ---- The step ----

bool GGameLevelScene::update(u32 elapsedMs) {
    // The passing cars step first, before the pause test: they keep moving while the level is
    // paused.
    if (m_traffic) {
        CRefPtr<GNeutralCarTraffic> traffic = m_traffic;
        traffic->update(elapsedMs);
    }
    if (m_paused || (Completed && CompletionHint.empty())) return true;
    CRefPtr<GGameLevelScene> self(this);
    const f32 elapsed = static_cast<f32>(elapsedMs);
    LevelTimeMs += elapsed;
    DayTime += elapsed * 0.001f;

    // Running actions; an ended one leaves, the last one takes its place.
    for (std::size_t i = 0; i < m_processes.size();) {
        CRefPtr<GBuildingProcess> process = m_processes[i];
        if (process->update(elapsedMs)) {
            ++i;
            continue;
        }
        if (i < m_processes.size() && m_processes[i] == process) {
            m_processes[i] = m_processes.back();
            m_processes.pop_back();
        }
    }

    // Money letters age while their lot works.
    for (std::size_t i = 0; i < m_letters.size();) {
        GMoneyLetter& letter = m_letters[i];
        letter.elapsed += static_cast<s32>(elapsedMs);
        if (letter.elapsed < letter.waitTime && letter.lot->isWorking()) {
            GBuildingNode::setCountdownClock(letter.node->findChildByName("Progress", 1),
                                             static_cast<f32>(letter.elapsed) /
                                                 static_cast<f32>(letter.waitTime));
            ++i;
            continue;
        }
        letter.lot->setMsSinceMoneyLetter(0);
        letter.lot->setWantFocus(true);
        CRefPtr<BaseNode> node = letter.node;
        m_letters[i] = m_letters.back();
        m_letters.pop_back();
        enterState(node.get(), nameOf("Disappear"));
    }

    bool changed = false;
    const GSoundCueIds& cues = GSoundCueIds::get();
    if (m_configuration && static_cast<f32>(m_configuration->DayLength) <= DayTime) {
        if (Income > 0.0f) playCue(cues.Income);
        DayTime = 0.0f;
        Money += Income;
        send(makeEvent<GEventDayEnded>().get());
        changed = true;
    }
    if (MaterialsDeliveryRemaining >= 0.0f) {
        const f32 speed = m_configuration ? m_configuration->Factors.MaterialDeliveryTimeM : 1.0f;
        MaterialsDeliveryRemaining -= speed * elapsed;
        if (MaterialsDeliveryRemaining < 0.0f) {
            playCue(cues.MaterialsDelivered);
            MaterialsDeliveryRemaining = -1.0f;
            Materials += MaterialsOrdered;
            changed = true;
        }
    }
    if (WorkersDeliveryRemaining >= 0.0f) {
        const f32 speed = m_configuration ? m_configuration->Factors.WorkerDeliveryTimeM : 1.0f;
        WorkersDeliveryRemaining -= speed * elapsed;
        if (WorkersDeliveryRemaining < 0.0f) {
            playCue(cues.WorkersTrained);
            WorkersDeliveryRemaining = -1.0f;
            Workers += WorkersOrdered;
            WorkersTotal += WorkersOrdered;
            changed = true;
        }
    }
    if (changed) {
        if (m_configuration) recalculateEconomy();
        sendLevelChanged();
    }

    if (m_weatherNode && m_weatherTime > 0) {
        m_weatherTime -= static_cast<s32>(elapsedMs);
        if (m_weatherTime < 1)
            m_weatherNode->setPropertyByName("Enabled", makeRef<CPropertyDataBool>(false));
    }
    return true;
}

// ---- Purchases ----

bool GGameLevelScene::buyMaterials(const GLevelOffer* offer) {
    if (!offer || !m_configuration || isMaterialsDeliveryInProgress()) return false;
    const f32 cost = m_configuration->Factors.MaterialPriceM * offer->Price;
    if (cost > Money) return false;
    MaterialsDeliveryTotal = offer->Time;
    MaterialsDeliveryRemaining = offer->Time;
    MaterialsOrdered = offer->Amount;
    Money -= cost;
    sendLevelChanged();
    return true;
}

bool GGameLevelScene::trainWorkers(const GLevelOffer* offer) {
    if (!offer || !m_configuration || isWorkersDeliveryInProgress()) return false;
    const f32 cost = m_configuration->Factors.WorkerPriceM * offer->Price;
    if (cost > Money) return false;
    WorkersDeliveryTotal = offer->Time;
    WorkersDeliveryRemaining = offer->Time;
    WorkersOrdered = static_cast<s32>(offer->Amount);
    Money -= cost;
    sendLevelChanged();
    return true;
}

// ---- Economy ----

void GGameLevelScene::applyModifiers() {
    GLevelConfiguration* level = m_configuration.get();
    level->Factors.reset();
    if (m_upgrades) {
        const array<CRefPtr<GLevelModifierList>>& lists = m_upgrades->getModifierLists();
        for (u32 i = 0; i < lists.size(); ++i)
            if (lists[i]) lists[i]->applyAll(level);
    }
    for (const CRefPtr<GBuildingNode>& lot : m_lots) {
        const GBuildingConfig* type = lot->getCurrentType();
        if (type->Level == 0 || !lot->isOwnedByThePlayer() || lot->isForSale() ||
            !lot->isWorking())
            continue;
        if (type->LevelModifiers) type->LevelModifiers->applyAll(level);
        for (u32 f = 0; f < type->Features.size(); ++f) {
            const GBuildingFeature& feature = type->Features[f];
            if (feature.LevelModifiers &&
                lot->getFeatureState(static_cast<s32>(f)) == GBuildingFeatureState::Active)
                feature.LevelModifiers->applyAll(level);
        }
    }
}

void GGameLevelScene::recalculateEconomy() {
    if (!m_configuration) return;
    CRefPtr<GGameLevelScene> self(this);
    const f32 previousRating = Rating;
    Guests = 0;
    TotalGuests = 0;
    Income = 0.0f;
    TotalIncome = 0.0f;
    Rating = m_configuration->InitRating;

    applyModifiers();
    const GLevelConfiguration* level = m_configuration.get();
    if (!level->Factors.CanBuildingsBroke)
        for (const CRefPtr<GBuildingNode>& lot : m_lots)
            if (lot->getProblemState() == BuildingProblemBroken)
                lot->setProblemState(BuildingProblemNone);
    for (const CRefPtr<GBuildingNode>& lot : m_lots) lot->recalculateIncomeBonus();
    for (const CRefPtr<GBuildingNode>& lot : m_lots) {
        const GBuildingConfig* type = lot->getCurrentType();
        if (type->Level == 0 || !lot->isOwnedByThePlayer() || lot->isForSale()) continue;
        if (lot->isWorking()) {
            Income += lot->getIncome();
            Guests += type->getGuestsCount(level);
        } else {
            TotalIncome += lot->getIncome(type);
            TotalGuests += type->getGuestsCount(level);
        }
    }
    TotalGuests += Guests;
    TotalIncome += Income;
    if (previousRating > Rating) Rating = previousRating;
    sendLevelChanged();
    checkCompletion();
    rebuildServiceLists();
}

void GGameLevelScene::rebuildServiceLists() {
    m_providedServices.clear();
    m_idleServices.clear();
    for (const CRefPtr<GBuildingNode>& lot : m_lots) {
        if (!lot->isOwnedByThePlayer() || lot->getCurrentType()->Level == 0) continue;
        const GBuildingConfig* type = ownedServiceType(*lot);
        if (!type) continue;
        if (type->ProvidedService != BuildingNoService)
            m_providedServices.push_back(type->ProvidedService);
        if (lot->getProcessKind() == BuildingProcessNone)
            m_idleServices.push_back(type->ProvidedService);
    }
}

void GGameLevelScene::checkCompletion() {
    if (Completed && CompletionHint.empty()) return;
    CompletionHint = "";
    Completed = true;
    const GLevelObjectiveList* objectives =
        m_configuration ? m_configuration->Objectives.get() : nullptr;
    u32 open = 0;
    const GLevelObjective* last = nullptr;
    if (objectives) {
        for (u32 i = 0; i < objectives->size(); ++i) {
            if (objectives->get(i)->isCompleted(*this)) continue;
            Completed = false;
            ++open;
            last = objectives->get(i);
        }
    }
    if (open == 1) CompletionHint = toUtf8(last->getHintText().c_str()).c_str();
    if (CompletionHint.empty() && Completed) {
        bool breakdown = false;
        bool problem = false;
        for (const CRefPtr<GBuildingNode>& lot : m_lots) {
            if (!lot->isOwnedByThePlayer()) continue;
            const bool maintained = lot->getProcessKind() == BuildingProcessMaintenance;
            if (lot->getCurrentType()->Type == BuildingKindLodging &&
                (lot->getProblemState() == BuildingProblemBroken || maintained))
                breakdown = true;
            else if (lot->getProblemState() == BuildingProblemDirty || maintained)
                problem = true;
        }
        if (breakdown && problem)
            CompletionHint = "%GamePlay_CompleteBlocked1Hint%";
        else if (problem)
            CompletionHint = "%GamePlay_CompleteBlocked3Hint%";
        else if (breakdown)
            CompletionHint = "%GamePlay_CompleteBlocked2Hint%";
    }
    if (Completed && CompletionHint.empty()) send(makeEvent<GEventLevelCompleted>(1).get());
}

GBuildingNode* GGameLevelScene::findIdleServiceProvider(s32 service) const {
    for (const CRefPtr<GBuildingNode>& lot : m_lots) {
        const GBuildingConfig* type = lot->getCurrentType();
        if (lot->isOwnedByThePlayer() && type->Level != 0 &&
            lot->getProcessKind() == BuildingProcessNone && type->ProvidedService == service)
            return lot.get();
    }
    return nullptr;
}

void GGameLevelScene::clearOrphanServiceRequests() {
    for (const CRefPtr<GBuildingNode>& lot : m_lots) {
        if (!lot->isOwnedByThePlayer() || lot->getCurrentType()->Level == 0) continue;
        const s32 state = lot->getProblemState();
        if (state < BuildingProblemServiceB) continue;
        if (std::find(m_providedServices.begin(), m_providedServices.end(), state) ==
            m_providedServices.end())
            lot->setProblemState(BuildingProblemNone);
    }
}

// ---- Entering and leaving ----

void GGameLevelScene::makeWeatherNode() {
    const bool winter = m_configuration->SettingIndex == WinterSettingIndex;
    const char* file =
        winter ? "levels/common/Effects/Snow.xml" : "levels/common/Effects/Rain.xml";
    const char* atlas = winter ? "particles/Snow.png" : "particles/Rain.png";
    CNodeFactory& factory = m_nodeFactory ? *m_nodeFactory : CNodeFactory::instance();
    BaseNode* made = factory.createNode(
        L"GWeatherParticlesNode", CCreationContext(getContentManager(), file));
    // Until the weather node's class is registered the level runs without weather.
    if (!made) return;
    CRefPtr<BaseNode> node = CRefPtr<BaseNode>::fromRaw(made);
    node->setPosition(vector3df(0.0f, 0.0f, WeatherDepth));
    node->setPropertyByName("Enabled", makeRef<CPropertyDataBool>(false));
    node->setPropertyByName("ConfigurationFilename", makeRef<CPropertyDataString>(stringc(file)));
    if (IContentManager* content = getContentManager()) {
        CRefPtr<CResource> texture = CRefPtr<CResource>::fromRaw(
            content->getContentByPath(TypeCodeAtlasTexture, atlas, false));
        if (auto* found = dynamic_cast<CAtlasTexture*>(texture.get()))
            node->setPropertyByName("AtlasTexture", boxAtlasTexture(found));
    }
    addChild(node.get());
    m_weatherNode = node;
}

bool GGameLevelScene::onSceneSwitchBegin(CEvent* event) {
    auto* change = static_cast<CEventNodeSceneSwitch*>(event);
    CRefPtr<GGameLevelScene> self(this);
    if (change->getToScene() == this) {
        CTimerScheduler* clock = getTimerScheduler();
        if (!clock) clock = getSceneBinding().scheduler;
        setUpdateSource(clock);
        if (m_configuration) recalculateEconomy();
        if (m_configuration) {
            GRandomEventList* requests = m_configuration->RandomEvents.get();
            if (!m_started) {
                // The first entry starts the level's running once.
                m_started = true;
                startProcess(nullptr, BuildingProcessNone,
                             new GCloudShadowEffect(m_cargosNode.get(), templates()));
                if (requests) requests->startAll(this, clock);
            } else if (requests) {
                // Later entries put the running requests back on the clock as they were.
                requests->resumeAll(clock);
            }
            if (requests) requests->setPaused(m_paused);
            if (!m_weatherNode) makeWeatherNode();
        }
    } else if (change->getFromScene() == this) {
        setUpdateSource(nullptr);
    }
    return false;
}

// ---- Presses and notices ----

bool GGameLevelScene::onNodeHovered(CEvent* event) {
    BaseNode* node = static_cast<CEventNodeHovered*>(event)->getNode();
    CLogger::instance().logHint("Node was hovered", node ? node->getNodeName().c_str() : "",
                                LogInformation);
    return false;
}

bool GGameLevelScene::onNodeFocused(CEvent* event) {
    BaseNode* node = static_cast<CEventNodeFocused*>(event)->getNode();
    CLogger::instance().logHint("Node was focused", node ? node->getNodeName().c_str() : "",
                                LogInformation);
    return false;
}

void GGameLevelScene::collectLetter(std::size_t index) {
    GMoneyLetter letter = m_letters[index];
    m_letters[index] = m_letters.back();
    m_letters.pop_back();
    Money += static_cast<f32>(letter.amount);
    recalculateEconomy();
    letter.lot->setMsSinceMoneyLetter(0);
    letter.lot->setWantFocus(true);
    enterState(letter.node.get(), nameOf("DisappearHit"));
    playCue(GSoundCueIds::get().ObjFound);
}

bool GGameLevelScene::onNodePressed(CEvent* event) {
    BaseNode* node = static_cast<CEventNodePressed*>(event)->getNode();
    CLogger::instance().logHint("Node was pressed", node ? node->getNodeName().c_str() : "",
                                LogInformation);
    CRefPtr<GGameLevelScene> self(this);
    if (!node || !node->isKindOf(GameNodeTypeBuildingNode)) {
        if (node == this) {
            if (GBuildingNode* focused = getFocusedBuilding()) focused->setFocused(false);
            m_previousSelected = m_selected;
            m_selected = nullptr;
            send(makeEvent<GEventBuildingSelected>(nullptr, m_previousSelected).get());
        }
        return false;
    }
    auto* lot = static_cast<GBuildingNode*>(node);
    for (std::size_t i = 0; i < m_letters.size(); ++i) {
        if (m_letters[i].lot != lot) continue;
        collectLetter(i);
        return true;
    }
    m_previousSelected = m_selected;
    m_selected = lot;
    send(makeEvent<GEventBuildingSelected>(lot, m_previousSelected).get());
    lot->setFocused(true);
    return true;
}

// ---- Operations ----

bool GGameLevelScene::buildBuilding(GBuildingNode* lot, GBuildingConfig* type) {
    if (!m_cargosNode || !isFreeForOperation(lot) || !type) return false;
    if (lot->getCurrentType()->Level != 0 || !canAffordBuilding(type) ||
        !lot->isOwnedByThePlayer())
        return false;
    CRefPtr<GGameLevelScene> self(this);
    CRefPtr<GBuildingConfig> newType(type);
    lot->saveStateSnapshot();
    lot->setType(type, false);
    const GBuildingConfig* previous = lot->getPreviousType();
    if (previous && lot->getTemplateName() != previous->Name.getId()) {
        lot->setTemplateName(previous->Name.getId());
        lot->applyTemplate();
    }
    const GLevelConfiguration* level = m_configuration.get();
    const f32 materials = type->getBuildMaterialsCost(level);
    const s32 workers = type->getBuildWorkersCost(level);
    startProcess(lot, BuildingProcessConstruction,
                 new GConstructionProcess(this, lot, type, m_cargosNode.get(), templates(),
                                          carPathOf(lot), materials, workers));
    Workers -= workers;
    Money -= type->Cost;
    Materials -= materials;
    if (m_configuration) recalculateEconomy();
    sendLevelChanged();
    return true;
}

bool GGameLevelScene::upgradeBuilding(GBuildingNode* lot) {
    if (!isFreeForOperation(lot) || !m_buildings) return false;
    const GBuildingConfig* current = lot->getCurrentType();
    if (current->Level == 0 || !lot->isWorking()) return false;
    GBuildingConfig* next = m_buildings->find(current->NextLevelName);
    if (!next || !canAffordBuilding(next)) return false;
    // The lot is an owned place of some level: building over it is the upgrade.
    if (!m_cargosNode || !lot->isOwnedByThePlayer()) return false;
    CRefPtr<GGameLevelScene> self(this);
    lot->saveStateSnapshot();
    lot->setType(next, false);
    const GBuildingConfig* previous = lot->getPreviousType();
    if (previous && lot->getTemplateName() != previous->Name.getId()) {
        lot->setTemplateName(previous->Name.getId());
        lot->applyTemplate();
    }
    const GLevelConfiguration* level = m_configuration.get();
    const f32 materials = next->getBuildMaterialsCost(level);
    const s32 workers = next->getBuildWorkersCost(level);
    startProcess(lot, BuildingProcessConstruction,
                 new GConstructionProcess(this, lot, next, m_cargosNode.get(), templates(),
                                          carPathOf(lot), materials, workers));
    Workers -= workers;
    Money -= next->Cost;
    Materials -= materials;
    if (m_configuration) recalculateEconomy();
    sendLevelChanged();
    return true;
}

bool GGameLevelScene::destroyBuilding(GBuildingNode* lot) {
    if (!m_cargosNode || !isFreeForOperation(lot)) return false;
    if (lot->getCurrentType()->Level == 0 || !lot->isOwnedByThePlayer()) return false;
    GBuildingConfig* place = m_buildings ? m_buildings->find(CNameId("BuildingPlace")) : nullptr;
    if (!place) {
        CLogger::instance().logHint("A building cannot be demolished without the type "
                                    "\"BuildingPlace\": refused",
                                    lot->getNodeName().c_str(), LogError);
        return false;
    }
    CRefPtr<GGameLevelScene> self(this);
    CRefPtr<GBuildingNode> keep(lot);
    lot->saveStateSnapshot();
    lot->resetSaleState();
    const s32 typeName = lot->getCurrentType()->Name.getId();
    const s32 workers = lot->getCurrentType()->getDestroyWorkersCost(m_configuration.get());
    startProcess(lot, BuildingProcessDemolition,
                 new GDestroyProcess(this, lot, m_cargosNode.get(), templates(), carPathOf(lot)));
    Workers -= workers;
    for (const CRefPtr<GBuildingNode>& other : m_lots)
        if (other->getServingBuilding(typeName) == lot) other->setServingBuilding(typeName, nullptr);
    lot->setType(place, false);
    for (const CRefPtr<GBuildingNode>& other : m_lots) other->claimService();
    clearOrphanServiceRequests();
    if (m_configuration) recalculateEconomy();
    sendLevelChanged();
    return true;
}

bool GGameLevelScene::startMaintenance(GBuildingNode* lot, s32 problem) {
    if (!m_cargosNode || !isFreeForOperation(lot)) return false;
    const GBuildingConfig* type = lot->getCurrentType();
    if (type->Level == 0 || !lot->isOwnedByThePlayer() || lot->getProblemState() != problem)
        return false;
    CRefPtr<GGameLevelScene> self(this);
    CRefPtr<GBuildingNode> keep(lot);
    const GLevelConfiguration* level = m_configuration.get();
    f32 materials = 0.0f;
    s32 workers = 0;
    GBuildingProcess* process = nullptr;
    if (problem == BuildingProblemRuin) {
        materials = type->getBuildMaterialsCost(level);
        workers = type->getBuildWorkersCost(level);
        process = new GRestoringProcess(this, lot, m_cargosNode.get(), templates(),
                                        carPathOf(lot), materials, workers);
    } else {
        materials = type->getRepairMaterialsCost(level);
        workers = type->getRepairWorkersCost(level);
        if (problem == BuildingProblemBroken)
            process = new GRepairProcess(this, lot, m_cargosNode.get(), templates(),
                                         carPathOf(lot), materials, workers);
        else
            process = new GCleaningProcess(this, lot, m_cargosNode.get(), templates(),
                                           carPathOf(lot), materials, workers);
    }
    startProcess(lot, BuildingProcessMaintenance, process);
    lot->setProblemState(BuildingProblemNone);
    Workers -= workers;
    Materials -= materials;
    if (problem == BuildingProblemDirty && m_configuration) recalculateEconomy();
    sendLevelChanged();
    return true;
}

bool GGameLevelScene::repairBuilding(GBuildingNode* lot) {
    return startMaintenance(lot, BuildingProblemBroken);
}

bool GGameLevelScene::cleanBuilding(GBuildingNode* lot) {
    return startMaintenance(lot, BuildingProblemDirty);
}

bool GGameLevelScene::restoreBuilding(GBuildingNode* lot) {
    return startMaintenance(lot, BuildingProblemRuin);
}

bool GGameLevelScene::customServeBuilding(GBuildingNode* lot) {
    if (!isFreeForOperation(lot) || !lot->isOwnedByThePlayer()) return false;
    if (lot->getCurrentType()->Name.getId() == -1) return false;
    const s32 service = lot->getProblemState();
    if (service <= BuildingProblemRuin) return false;
    GBuildingNode* provider = findIdleServiceProvider(service);
    if (!provider) return false;
    if (service == BuildingProblemServiceB && !m_cargosNode) return false;
    CRefPtr<GGameLevelScene> self(this);
    startProcess(provider, BuildingProcessTimedService,
                 new GTimedServeProcess(this, provider, templates()));
    if (service == BuildingProblemServiceB)
        startProcess(lot, BuildingProcessMaintenance,
                     new GCustomServeProcess(this, lot, m_cargosNode.get(), templates(),
                                             carPathOf(lot)));
    lot->setProblemState(BuildingProblemNone);
    rebuildServiceLists();
    sendLevelChanged();
    return true;
}

bool GGameLevelScene::activateFeature(GBuildingNode* lot, s32 featureIndex) {
    if (!isFreeForOperation(lot) || !lot->isOwnedByThePlayer()) return false;
    const GBuildingConfig* type = lot->getCurrentType();
    if (type->Name.getId() == -1 || !lot->isFeatureUnlocked(featureIndex) ||
        lot->getFeatureState(featureIndex) != GBuildingFeatureState::Ready)
        return false;
    CRefPtr<GGameLevelScene> self(this);
    CRefPtr<GBuildingNode> keep(lot);
    if (type->Type < BuildingKindFirstRuin) {
        lot->startFeature(featureIndex);
    } else {
        if (!m_cargosNode) return false;
        startProcess(lot, BuildingProcessFeature,
                     new GFeatureProcess(this, lot, m_cargosNode.get(), templates(),
                                         featureIndex));
    }
    Money -= type->Features[static_cast<u32>(featureIndex)].MoneyCost;
    if (m_configuration) recalculateEconomy();
    lot->playStateSound();
    sendLevelChanged();
    return true;
}

bool GGameLevelScene::buyBuilding(GBuildingNode* lot) {
    if (!isFreeForOperation(lot) || lot->isOwnedByThePlayer()) return false;
    const GBuildingConfig* type = lot->getCurrentType();
    if (type->Name.getId() == -1) return false;
    const f32 price = lot->getPrice();
    if (price > Money) return false;
    CRefPtr<GGameLevelScene> self(this);
    CRefPtr<GBuildingNode> keep(lot);
    playCue(GSoundCueIds::get().Bought);
    addHistory(LevelHistoryBought, type, lot);
    lot->setForSale(false);
    lot->setOwned(true);
    if (type->Type >= BuildingKindFirstRuin) lot->setProblemState(BuildingProblemRuin);
    lot->notifyChanged();
    Money -= price;
    if (m_configuration) recalculateEconomy();
    sendLevelChanged();
    return true;
}

bool GGameLevelScene::acceptSellOffer(GBuildingNode* lot) {
    if (!isFreeForOperation(lot) || !lot->isOwnedByThePlayer()) return false;
    const GBuildingConfig* type = lot->getCurrentType();
    if (type->Name.getId() == -1 || !lot->isForSale() || !lot->hasBuyOffer()) return false;
    CRefPtr<GGameLevelScene> self(this);
    CRefPtr<GBuildingNode> keep(lot);
    const s32 amount = lot->getOfferAmount();
    playCue(GSoundCueIds::get().Sold);
    addHistory(LevelHistorySold, type, lot);
    lot->resetSaleState();
    lot->setOwned(false);
    Money += static_cast<f32>(amount);
    clearOrphanServiceRequests();
    if (m_configuration) recalculateEconomy();
    sendLevelChanged();
    return true;
}

// ---- Process events ----

namespace {

template <class Event>
GBuildingNode* lotOf(CEvent* event) {
    return static_cast<Event*>(event)->Building;
}

}  // namespace

bool GGameLevelScene::onBuildingBuilt(CEvent* event) {
    auto* built = static_cast<GEventBuildingBuilt*>(event);
    GBuildingNode* lot = built->Building;
    if (!lot) return false;
    CRefPtr<GGameLevelScene> self(this);
    addHistory(LevelHistoryBuilt, lot->getCurrentType(), lot);
    lot->setMsSinceMaintenance(0);
    lot->setProcess(BuildingProcessNone, nullptr);
    if (m_configuration) recalculateEconomy();
    const GBuildingConfig* type = built->Type ? built->Type : lot->getCurrentType();
    if (type->BuiltSoundCueName.getId() != -1) playCue(type->BuiltSoundCueName);
    return false;
}

bool GGameLevelScene::onBuildingRepaired(CEvent* event) {
    GBuildingNode* lot = lotOf<GEventBuildingRepaired>(event);
    if (!lot) return false;
    CRefPtr<GGameLevelScene> self(this);
    addHistory(LevelHistoryRepaired, lot->getCurrentType(), lot);
    lot->setMsSinceMaintenance(0);
    lot->setProcess(BuildingProcessNone, nullptr);
    if (m_configuration) recalculateEconomy();
    sendLevelChanged();
    return false;
}

bool GGameLevelScene::onBuildingCleaned(CEvent* event) {
    GBuildingNode* lot = lotOf<GEventBuildingCleaned>(event);
    if (!lot) return false;
    CRefPtr<GGameLevelScene> self(this);
    addHistory(LevelHistoryCleaned, lot->getCurrentType(), lot);
    lot->setMsSinceMaintenance(0);
    lot->setProcess(BuildingProcessNone, nullptr);
    if (m_configuration) recalculateEconomy();
    sendLevelChanged();
    return false;
}

bool GGameLevelScene::onCustomServeDone(CEvent* event) {
    GBuildingNode* lot = lotOf<GEventCustomServeDone>(event);
    if (!lot) return false;
    CRefPtr<GGameLevelScene> self(this);
    lot->setProcess(BuildingProcessNone, nullptr);
    if (m_configuration) recalculateEconomy();
    sendLevelChanged();
    return false;
}

bool GGameLevelScene::onBuildingProcessEnded(CEvent* event) {
    GBuildingNode* lot = lotOf<GEventBuildingProcessEnded>(event);
    if (!lot) return false;
    CRefPtr<GGameLevelScene> self(this);
    // Only a timed service ends this way; a feature's recharge reports the same event and must
    // leave any other running action in place.
    if (lot->getProcessKind() == BuildingProcessTimedService)
        lot->setProcess(BuildingProcessNone, nullptr);
    rebuildServiceLists();
    sendLevelChanged();
    return false;
}

bool GGameLevelScene::onBuildingIncome(CEvent* event) {
    Money += static_cast<GEventBuildingIncome*>(event)->Amount;
    return false;
}

bool GGameLevelScene::onBuildingFeatureUsed(CEvent* event) {
    auto* used = static_cast<GEventBuildingFeatureUsed*>(event);
    if (!used->Building) return false;
    CRefPtr<GGameLevelScene> self(this);
    s32 action = LevelHistoryFeatureUsed;
    if (used->FeatureIndex == 1) action = LevelHistoryFeature1Used;
    if (used->FeatureIndex == 2) action = LevelHistoryFeature2Used;
    addHistory(action, used->Building->getCurrentType(), used->Building);
    if (m_configuration) recalculateEconomy();
    sendLevelChanged();
    return false;
}

bool GGameLevelScene::onBuildingDestroyed(CEvent* event) {
    GBuildingNode* lot = lotOf<GEventBuildingDestroyed>(event);
    if (!lot) return false;
    CRefPtr<GGameLevelScene> self(this);
    if (lot->getPreviousType()) addHistory(LevelHistoryDemolished, lot->getPreviousType(), lot);
    lot->setProcess(BuildingProcessNone, nullptr);
    if (m_configuration) recalculateEconomy();
    sendLevelChanged();
    if (lot->isFocused()) send(makeEvent<GEventBuildingSelected>(lot, lot).get());
    return false;
}

bool GGameLevelScene::onResourcesReturned(CEvent* event) {
    auto* returned = static_cast<GEventResourcesReturned*>(event);
    Materials += returned->Materials;
    Workers += returned->Workers;
    return false;
}

// ---- Requests ----

bool GGameLevelScene::onSellRequest(CEvent* event) {
    auto* request = static_cast<GEventRequest*>(event);
    std::vector<GBuildingNode*> candidates;
    for (const CRefPtr<GBuildingNode>& lot : m_lots)
        if (lot->isVisible() && !lot->isOwnedByThePlayer() && !lot->isForSale() &&
            matchesRequest(lot.get(), request))
            candidates.push_back(lot.get());
    if (GBuildingNode* lot = drawLot(candidates)) {
        CRefPtr<GGameLevelScene> self(this);
        lot->setForSale(true);
        lot->notifyChanged();
    }
    return true;
}

bool GGameLevelScene::onBrokenRequest(CEvent* event) {
    if (!m_configuration || !m_configuration->Factors.CanBuildingsBroke) return true;
    auto* request = static_cast<GEventRequest*>(event);
    std::vector<GBuildingNode*> candidates;
    for (const CRefPtr<GBuildingNode>& lot : m_lots)
        if (lot->isWorking() && lot->getCurrentType()->Type == BuildingKindLodging &&
            lot->getMsSinceMaintenance() >= MaintenanceGraceMs &&
            matchesRequest(lot.get(), request))
            candidates.push_back(lot.get());
    if (GBuildingNode* lot = drawLot(candidates)) {
        CRefPtr<GGameLevelScene> self(this);
        playCue(GSoundCueIds::get().Broken);
        lot->setProblemState(BuildingProblemBroken);
        recalculateEconomy();
        routeToParent(DispatchSelfThenParents, makeEvent<GEventLevelChanged>().get());
    }
    return true;
}

bool GGameLevelScene::onDirtyRequest(CEvent* event) {
    if (!m_configuration) return true;
    auto* request = static_cast<GEventRequest*>(event);
    std::vector<GBuildingNode*> candidates;
    for (const CRefPtr<GBuildingNode>& lot : m_lots)
        if (lot->isWorking() && lot->getCurrentType()->Type == BuildingKindDecoration &&
            lot->getMsSinceMaintenance() >= MaintenanceGraceMs &&
            matchesRequest(lot.get(), request))
            candidates.push_back(lot.get());
    if (GBuildingNode* lot = drawLot(candidates)) {
        CRefPtr<GGameLevelScene> self(this);
        playCue(GSoundCueIds::get().Dirty);
        lot->setProblemState(BuildingProblemDirty);
        recalculateEconomy();
        routeToParent(DispatchSelfThenParents, makeEvent<GEventLevelChanged>().get());
    }
    return true;
}

bool GGameLevelScene::onLetterRequest(CEvent* event) {
    if (!m_configuration || !m_configuration->Factors.CanReceiveMoneyLetters) return true;
    auto* request = static_cast<GEventLetterRequest*>(event);
    std::vector<GBuildingNode*> candidates;
    for (const CRefPtr<GBuildingNode>& lot : m_lots) {
        const GBuildingConfig* type = lot->getCurrentType();
        if (!lot->isWorking() || type->Level < 1 || type->Type != BuildingKindLodging ||
            lot->getMsSinceMoneyLetter() < LetterPauseMs || !matchesRequest(lot.get(), request))
            continue;
        bool showing = false;
        for (const GMoneyLetter& letter : m_letters) showing = showing || letter.lot == lot.get();
        if (!showing) candidates.push_back(lot.get());
    }
    if (candidates.empty()) return true;
    BaseNode* source = GBuildingProcess::findTemplate(templates(), "MoneyLetter");
    if (!source) return true;
    CRefPtr<GGameLevelScene> self(this);
    playCue(GSoundCueIds::get().MoneyLetter);
    GBuildingNode* lot = drawLot(candidates);
    CRandom& random = CRandom::instance();
    const f32 p = random.nextFloatRange(request->MoneyRange.first, request->MoneyRange.second);
    const f64 hundreds = std::floor(static_cast<f64>(lot->getIncome()) * 0.01 * p + 1.0);
    const s32 amount = static_cast<s32>(std::max(0.0, std::min(hundreds * 100.0, 2147483647.0)));
    const f32 w =
        random.nextFloatRange(request->WaitTimeRange.first, request->WaitTimeRange.second);
    const s32 wait = static_cast<s32>(std::floor(static_cast<f64>(w) + 0.5));

    GMoneyLetter letter;
    letter.node = GBuildingProcess::cloneInto(source, lot, true);
    if (!letter.node) return true;
    letter.amount = amount;
    letter.waitTime = wait;
    letter.lot = lot;
    enterState(letter.node.get(), nameOf("Appear"));
    m_letters.push_back(letter);
    lot->setWantFocus(false);
    if (auto* text = dynamic_cast<TextNode*>(letter.node->findChildByName("Text", 1))) {
        IGameServices* services = IGameServices::get();
        const CTextDictionary* dictionary = services ? services->getTextDictionary() : nullptr;
        if (dictionary)
            text->setText(dictionary->getTextWithParams("MoneyDollar", groupDigits(amount, L','),
                                                        stringw(), stringw(), stringw()));
        else
            text->setText(groupDigits(amount, L','));
    }
    GBuildingNode::setCountdownClock(letter.node->findChildByName("Progress", 1), 0.0f);
    return true;
}

bool GGameLevelScene::onWeatherRequest(CEvent* event) {
    if (!m_weatherNode) return true;
    auto* request = static_cast<GEventWeatherRequest*>(event);
    m_weatherNode->setPropertyByName("Enabled", makeRef<CPropertyDataBool>(true));
    m_weatherTime += CRandom::instance().nextInt(request->MinimumMs, request->MaximumMs);
    if (m_configuration && m_configuration->SettingIndex != WinterSettingIndex) {
        IGameServices* services = IGameServices::get();
        CSoundGroupManager* groups = services ? services->getSoundGroupManager() : nullptr;
        const CNameId& rain = GSoundCueIds::get().Rain;
        if (groups && !groups->isCuePlaying(rain)) playCue(rain);
    }
    return true;
}

bool GGameLevelScene::onTutorialFlag(CEvent* event) {
    const bool pause = static_cast<GEventTutorialFlag*>(event)->Pause != 0;
    setPaused(pause);
    if (CTimerScheduler* clock = getTimerScheduler()) clock->setEnabled(!pause);
    return true;
}

bool GGameLevelScene::onHasBuildingQuery(CEvent* event) {
    auto* query = static_cast<GEventHasBuildingQuery*>(event);
    for (const CRefPtr<GBuildingNode>& lot : m_lots) {
        if (!lot->isOwnedByThePlayer()) continue;
        if (listHolds(query->BuildingTypes, lot->getCurrentType()->Name.getId())) {
            query->Answer = true;
            break;
        }
    }
    return true;
}

}  // namespace brasquel
