#include "game/play/GGamePlayScene.h"

#include <cmath>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/config/LevelScores.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GEllipseSectorNode.h"
#include "game/level/GGameEvents.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GLevelUpgrades.h"
#include "game/scenes/GLevelCompletedScene.h"
#include "game/scenes/GLevelObjectivesScene.h"
#include "game/scenes/GLoadingLevelScene.h"
#include "game/scenes/GSceneSupport.h"
#include "game/scenes/ITutorial.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr s32 LevelSoundGroup = static_cast<s32>(GLoadingLevelScene::LevelSoundGroup);

// The direct child of that name when it is of the kind, else none.
template <class T>
T* childOfKind(const BaseNode* parent, const char* name, s32 typeId) {
    BaseNode* found = parent ? parent->findChildByName(name, 1) : nullptr;
    return found && found->isKindOf(typeId) ? static_cast<T*>(found) : nullptr;
}

BaseNode* anyChild(const BaseNode* parent, const char* name) {
    return parent ? parent->findChildByName(name, 1) : nullptr;
}

// The nodes "Star1" .. "Star6" of the parent, missing ones as none.
void bindStars(const BaseNode* parent, std::vector<BaseNode*>& stars) {
    for (u32 i = 1; i <= GGamePlayScene::StarCount; ++i) {
        const std::string name = "Star" + std::to_string(i);
        stars.push_back(anyChild(parent, name.c_str()));
    }
}

IGameServices* services() { return IGameServices::get(); }

CSoundGroupManager* groups() {
    IGameServices* s = services();
    return s ? s->getSoundGroupManager() : nullptr;
}

CTextDictionary* dictionary() {
    IGameServices* s = services();
    return s ? s->getTextDictionary() : nullptr;
}

SceneManager* levelLayer() {
    IGameServices* s = services();
    return s ? s->getWorldSceneManager() : nullptr;
}

stringw widen(const stringc& text) { return widenLatin1(text); }

}  // namespace

OSKEL_BEGIN_EVENT_MAP(GGamePlayScene, GBaseSceneNode)
OSKEL_EVENT_HANDLER(GameEventLevelCompleted, onLevelFinished)
OSKEL_EVENT_HANDLER(GameEventDayEnded, onDayEnded)
OSKEL_EVENT_HANDLER(GameEventBuildingSelected, onBuildingSelected)
OSKEL_EVENT_ENTRY(GameEventIgnored, [](CEventReceiver*, CEvent*) -> bool { return true; })
OSKEL_EVENT_HANDLER(GameEventLevelChanged, onLevelChanged)
OSKEL_EVENT_HANDLER(GameEventBuildingBuilt, onBuildingBuilt)
OSKEL_EVENT_HANDLER(GameEventBuildingIncome, onBuildingIncome)
OSKEL_EVENT_HANDLER(GameEventResourcesReturned, onResourcesReturned)
OSKEL_END_EVENT_MAP()

GGamePlayScene::GGamePlayScene(const CCreationContext& context, BaseNode* parent,
                               SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {
    setUpdatePeriod(UpdatePeriod);
    addCategory(CategoryGame);
}

GGamePlayScene::~GGamePlayScene() {
    stopTutorial();
    m_levelScene = nullptr;
    if (m_musicCue >= 0)
        if (CSoundGroupManager* sounds = groups()) sounds->stopCue(CNameId::fromId(m_musicCue), 0);
}

BRASQUEL_DEFINE_NODE_CLASS(GGamePlayScene, GameNodeTypeGamePlayScene, GBaseSceneNode)

// ---- Binding ----

void GGamePlayScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    m_internalScene = anyChild(this, "InternalGamePlayScene");
    m_gameMenu = anyChild(m_internalScene, "GameMenu");
    if (!m_gameMenu) return;
    BaseNode* menu = m_gameMenu;

    if (BaseNode* money = anyChild(menu, "MoneyNode")) {
        m_moneyText = childOfKind<TextNode>(money, "MoneyText", NodeTypeText);
        m_incomeText = childOfKind<TextNode>(money, "IncomeText", NodeTypeText);
        m_dayBar = childOfKind<BaseProgressBarNode>(money, "ProgressBar", NodeTypeBaseProgressBar);
    }
    m_ratingNode = anyChild(menu, "RatingNode");
    if (m_ratingNode) {
        m_ratingText = childOfKind<TextNode>(m_ratingNode, "ProgressBarText", NodeTypeText);
        m_ratingBar =
            childOfKind<BaseProgressBarNode>(m_ratingNode, "ProgressBar", NodeTypeBaseProgressBar);
        bindStars(m_ratingNode, m_ratingStars);
    }
    m_timeNode = anyChild(menu, "TimeNode");
    if (m_timeNode) {
        m_timeSector =
            childOfKind<GEllipseSectorNode>(m_timeNode, "Ellipse", GameNodeTypeEllipseSectorNode);
        m_timeText = childOfKind<TextNode>(m_timeNode, "TimeText", NodeTypeText);
        m_targetTimeText = childOfKind<TextNode>(m_timeNode, "TargetTimeText", NodeTypeText);
        m_clockHand = anyChild(m_timeNode, "LongArrow");
    }
    if (BaseNode* goals = anyChild(menu, "GoalsNode"))
        for (BaseNode* child : goals->getChildren())
            if (child->isKindOf(NodeTypeCheckBox))
                m_goalBoxes.push_back(static_cast<CheckBoxNode*>(child));

    m_actionsTabScene = childOfKind<TabSceneNode>(menu, "ActionsTabScene", NodeTypeTabScene);
    if (m_actionsTabScene) {
        for (u32 i = 0; i < 10; ++i) {
            const std::string name = "Tab" + std::to_string(i + 1);
            m_tabs[i] = anyChild(m_actionsTabScene, name.c_str());
        }
        m_hotelsBuildList =
            childOfKind<ListNode>(m_tabs[TabHotels], "HotelsBuildList", NodeTypeList);
        m_joysBuildList = childOfKind<ListNode>(m_tabs[TabJoys], "JoysBuildList", NodeTypeList);
        m_factoriesBuildList =
            childOfKind<ListNode>(m_tabs[TabFactories], "FactoriesBuildList", NodeTypeList);
        if (BaseNode* page = m_tabs[TabMaterials]) {
            m_materialsProgressNode = anyChild(page, "ProgressNode");
            m_materialsButtonsNode = anyChild(page, "ButtonsNode");
            m_materialsHintText = childOfKind<TextNode>(page, "HintText", NodeTypeText);
        }
        if (BaseNode* page = m_tabs[TabWorkers]) {
            m_workersButtonsNode = anyChild(page, "ButtonsNode");
            m_workersProgressNode = anyChild(page, "ProgressNode");
            m_workersHintText = childOfKind<TextNode>(page, "HintText", NodeTypeText);
        }
        if (BaseNode* page = m_tabs[TabBuilding]) {
            m_buildingProgressNode =
                childOfKind<ControlNode>(page, "ProgressNode", NodeTypeControl);
            if (m_buildingProgressNode)
                m_buildingProgressHintText =
                    childOfKind<TextNode>(m_buildingProgressNode, "HintText", NodeTypeText);
            m_buildingHintText = childOfKind<TextNode>(page, "HintText", NodeTypeText);
        }
        if (BaseNode* page = m_tabs[TabStatus]) {
            if (BaseNode* rating = anyChild(page, "RatingNode")) bindStars(rating, m_summaryStars);
            if (BaseNode* goals = anyChild(page, "GoalsNode"))
                for (u32 i = 1; i <= SummaryGoalCount; ++i) {
                    const std::string name = "Goal" + std::to_string(i);
                    m_summaryGoalBoxes.push_back(
                        childOfKind<CheckBoxNode>(goals, name.c_str(), NodeTypeCheckBox));
                }
        }
    }

    m_materialsAmountTabText = childOfKind<TextNode>(menu, "MaterialsAmountTabText", NodeTypeText);
    m_workersAmountTabText = childOfKind<TextNode>(menu, "WorkersAmountTabText", NodeTypeText);
    m_incomeGuestsInfoNode = anyChild(menu, "IncomeGuestsInfoNode");
    m_guestsInfoNode = anyChild(menu, "GuestsInfoNode");
    m_materialsWorkersTooltipNode = anyChild(menu, "MaterialsWorkersTooltipNode");
    m_workersInfoNode = anyChild(menu, "WorkersInfoNode");
    m_moneyInfoNode = anyChild(menu, "MoneyInfoNode");
    m_featureInfoNode = anyChild(menu, "FeatureInfoNode");
}

// ---- Game events ----

bool GGamePlayScene::onDayEnded(CEvent*) {
    if (!m_levelScene) return true;
    for (const CRefPtr<GBuildingNode>& building : m_levelScene->getBuildings()) {
        const GBuildingConfig* type = building->getCurrentType();
        if (!type || type->Level == 0 || !building->isWorking()) continue;
        if (building->getIncome(nullptr) >= 1.0f) playMoneyBurst(nullptr, building.get());
    }
    static_cast<void>(checkMoneyAchievements());
    return true;
}

bool GGamePlayScene::onBuildingBuilt(CEvent* event) {
    onLevelChanged(nullptr);
    GBuildingNode* building = static_cast<GEventBuildingBuilt*>(event)->Building;
    const GBuildingConfig* type = building ? building->getCurrentType() : nullptr;
    IGameServices* s = services();
    GAchievementsProgress* progress = s ? s->getAchievementsProgress() : nullptr;
    if (type && type->Level == 1 && progress) {
        for (u32 counter : BuiltCounters)
            if (progress->addProgress(counter, 1))
                m_achievementQueue.push_back(static_cast<s32>(counter));
        progress->save();
        static_cast<void>(showNextAchievement());
    }
    return true;
}

bool GGamePlayScene::onBuildingIncome(CEvent* event) {
    onLevelChanged(nullptr);
    SceneManager* manager = getSceneManager();
    TemplateCollectionNode* templates = manager ? manager->getTemplateCollection() : nullptr;
    BaseNode* star = templates ? templates->findTemplate(CNameId("MoneyStar").getId()) : nullptr;
    GBuildingNode* building = static_cast<GEventBuildingIncome*>(event)->Building;
    if (star && building) playMoneyBurst(star, building);
    static_cast<void>(checkMoneyAchievements());
    return true;
}

bool GGamePlayScene::onResourcesReturned(CEvent*) {
    onLevelChanged(nullptr);
    return true;
}

void GGamePlayScene::playMoneyBurst(BaseNode*, GBuildingNode* building) {
    if (building) building->setState(CNameId("MoneyBurst").getId());
}

bool GGamePlayScene::onNodeUnfocused(CEvent* event) {
    BaseNode* node = scenes::noticeNode(event);
    if (!node || !node->isKindOf(GameNodeTypeBuildingNode)) return false;
    static_cast<GBuildingNode*>(node)->showServeArea(nullptr);
    return true;
}

// ---- Goals ----

void GGamePlayScene::initGoals() {
    if (!m_levelScene || !m_levelScene->getLevelConfiguration()) return;
    layoutGoals(m_goalBoxes, true);
    layoutGoals(m_summaryGoalBoxes, false);
}

void GGamePlayScene::layoutGoals(const std::vector<CheckBoxNode*>& boxes, bool withProgress) {
    const GLevelConfiguration* configuration =
        m_levelScene ? m_levelScene->getLevelConfiguration() : nullptr;
    const GLevelObjectiveList* objectives =
        configuration ? configuration->Objectives.get() : nullptr;
    const u32 count = objectives ? objectives->size() : 0;
    f32 runningY = 0.0f;
    for (u32 j = 0; j < count && j < boxes.size(); ++j) {
        CheckBoxNode* box = boxes[j];
        if (!box) continue;
        GLevelObjective* objective = objectives->get(j);
        box->setVisible(true);
        stringw text = objective->getInfoText(dictionary(), false);
        if (withProgress) {
            text += L" (";
            text += objective->getProgressText(*m_levelScene, dictionary());
            text += L")";
        }
        box->setText(text);
        ControlNode* instance = box->getTemplateInstance();
        if (!instance) continue;
        const vector3df& at = box->getPosition();
        if (j == 0)
            runningY = at.Y;
        else
            box->setPosition(vector3df(at.X, runningY, at.Z));
        // A caption that is no text node has no height: the box then takes no room of its own.
        const auto* caption = childOfKind<TextNode>(instance, "Text", NodeTypeText);
        runningY += (caption ? caption->getTextHeight() : 0.0f) + 1.0f;
        if (!withProgress) runningY += 3.0f;
    }
    for (size_t j = count; j < boxes.size(); ++j)
        if (boxes[j]) boxes[j]->setVisible(false);
}

void GGamePlayScene::refreshGoals() {
    const GLevelConfiguration* configuration =
        m_levelScene ? m_levelScene->getLevelConfiguration() : nullptr;
    const GLevelObjectiveList* objectives =
        configuration ? configuration->Objectives.get() : nullptr;
    if (!objectives) return;
    for (u32 i = 0; i < objectives->size(); ++i) {
        GLevelObjective* objective = objectives->get(i);
        const bool done = objective->isCompleted(*m_levelScene);
        if (i < m_goalBoxes.size() && m_goalBoxes[i]) {
            stringw text = objective->getInfoText(dictionary(), false);
            if (!done) {
                text += L" (";
                text += objective->getProgressText(*m_levelScene, dictionary());
                text += L")";
            }
            m_goalBoxes[i]->setText(text);
            m_goalBoxes[i]->setChecked(done);
        }
        if (i < m_summaryGoalBoxes.size() && m_summaryGoalBoxes[i])
            m_summaryGoalBoxes[i]->setChecked(done);
    }
}

// ---- Level start ----

bool GGamePlayScene::loadLevel(const stringc& folder, SceneNode* level) {
    if (folder.empty() || !level || !level->isKindOf(GameNodeTypeGameLevelScene)) return false;
    if (!m_internalScene || m_internalScene->getParent() != this) return false;
    IGameServices* s = services();
    SceneManager* layer = levelLayer();
    CProfile* profile = scenes::activeProfile();
    if (!s || !layer || !profile) return false;
    auto* levelScene = static_cast<GGameLevelScene*>(level);

    CFileSystem* files = s->getFileSystem();
    CXmlReader* reader =
        files ? files->createXmlReader(folder + stringc("LevelConfiguration.xml")) : nullptr;
    if (!reader) {
        CLogger::instance().logHint("Unable to find configuration for the level", folder.c_str(),
                                    LogError);
        return false;
    }
    auto configuration = makeRef<GLevelConfiguration>();
    static_cast<void>(configuration->read(reader));
    reader->drop();

    if (LevelScores* scores = s->getLevelScores()) {
        const SLevelScore& entry = scores->get(configuration->getScoresKey());
        configuration->Score = entry.Score;
        configuration->ExpertScore = entry.ExpertScore;
        configuration->LevelTime = entry.Time;
    }

    auto paths = makeRef<GLevelPaths>();
    if (CXmlReader* pathReader = files->createXmlReader(folder + stringc("LevelPaths.xml"))) {
        static_cast<void>(paths->read(pathReader));
        pathReader->drop();
    }

    m_levelScene = CRefPtr<GGameLevelScene>(levelScene);
    resetLevelEnd();
    setUpTutorial(folder);

    if (m_ratingNode) m_ratingNode->setVisible(configuration->IsRatingOn);
    if (m_timeText) m_timeText->setVisible(configuration->IsClockOn);
    if (m_timeSector) m_timeSector->Angle1 = 0;

    if (!m_hintWindow) {
        SceneManager* menus = s->getSceneManager();
        TemplateCollectionNode* templates = menus ? menus->getTemplateCollection() : nullptr;
        BaseNode* templ =
            templates ? templates->findTemplate(CNameId(HintWindowTemplate).getId()) : nullptr;
        // Without the template the level runs without a hint window.
        if (templ) {
            // The clone belongs to its parent; the play screen keeps a reference of its own.
            BaseNode* window = templ->clone(m_internalScene, getSceneManager());
            if (window) {
                m_hintWindow = CRefPtr<BaseNode>(window);
                window->setVisible(false);
                if (BaseNode* skip = anyChild(window, "SkipTutorialButton"))
                    skip->setVisible(false);
            }
        }
    }

    levelScene->setBuildingsConfiguration(s->getBuildingsConfiguration());
    levelScene->setLevelConfiguration(configuration.get());
    {
        auto upgrades = makeRef<GLevelUpgrades>();
        upgrades->collect(s->getUpgradesConfiguration(), &configuration->AvailableBuildingsForBuild,
                          profile->getInt(ProfileKeyLevelIndex));
        levelScene->setUpgradeEffects(upgrades.get());
    }
    levelScene->setLevelPaths(paths.get());
    levelScene->setPaused(false);

    layer->setScene(levelScene);
    return true;
}

// ---- Scene changes ----

void GGamePlayScene::setLevelClockEnabled(bool on) {
    if (!m_levelScene) return;
    if (CTimerScheduler* clock = m_levelScene->getTimerScheduler()) clock->setEnabled(on);
}

bool GGamePlayScene::onSceneChangeStarted(CEvent* event) {
    if (GBaseSceneNode::onSceneChangeStarted(event)) return true;
    m_entered = false;
    if (entersThis(event, this)) {
        if (CSoundGroupManager* sounds = groups()) {
            sounds->setGroupPaused(false, LevelSoundGroup);
            sounds->stopCue(GSoundCueIds::get().MenuMusic, 0);
        }
        const GLevelConfiguration* configuration =
            m_levelScene ? m_levelScene->getLevelConfiguration() : nullptr;
        if (configuration) {
            const std::string cue =
                "GameMusicSetting" + std::to_string(configuration->SettingIndex);
            m_musicCue = CNameId(cue.c_str()).getId();
        }
        if (scenes::isForwardSwitch(event)) {
            SceneManager* layer = levelLayer();
            if (layer && m_internalScene && layer->getParent() != m_internalScene)
                m_internalScene->insertChild(layer, nullptr);
            m_musicStarted = false;
        }
        refreshCategoryButtons();
        fillHotelsBuildList();
        fillJoysBuildList();
        fillFactoriesBuildList();
        fillMaterialsList();
        fillWorkersList();
        initGoals();
        updateBuildingTabHint(nullptr);
        updateBuildingPlaceHint(nullptr);
        update(0);
        onLevelChanged(nullptr);
        if (m_targetTimeText && configuration)
            m_targetTimeText->setText(formatMinutesSeconds(
                static_cast<u32>(configuration->LevelTime > 0 ? configuration->LevelTime : 0) *
                1000u));
        if (m_timeText) m_timeText->setText(formatMinutesSeconds(0));
        return true;
    }
    if (leavesThis(event, this)) {
        setLevelClockEnabled(false);
        if (CSoundGroupManager* sounds = groups()) sounds->setGroupPaused(true, LevelSoundGroup);
    }
    return false;
}

bool GGamePlayScene::onSceneChangeFinished(CEvent* event) {
    if (GBaseSceneNode::onSceneChangeFinished(event)) return true;
    if (entersThis(event, this)) {
        m_entered = true;
        const SceneNode* left = static_cast<CEventNodeSceneSwitch*>(event)->getFromScene();
        if (scenes::isForwardSwitch(event))
            m_pendingAction = PendingShowObjectives;
        else if (left && left->isKindOf(GameNodeTypeLevelObjectivesScene))
            m_pendingAction = PendingStartTutorial;
        else if (left && left->isKindOf(GameNodeTypeAchievementUnlockedScene))
            m_pendingAction = PendingCheckLevelEnd;
        // A level the tutorial paused stays paused until the tutorial resumes it.
        if (m_levelScene && !m_levelScene->isPaused()) setLevelClockEnabled(true);
        return true;
    }
    if (leavesThis(event, this)) {
        setLevelClockEnabled(false);
        if (CSoundGroupManager* sounds = groups()) sounds->setGroupPaused(true, LevelSoundGroup);
    }
    return false;
}

// ---- Frame update ----

bool GGamePlayScene::onUpdate(u32 periodMs) {
    GBaseSceneNode::onUpdate(periodMs);
    CRefPtr<BaseNode> self(this);  // a switch may let go of this scene
    SceneManager* manager = getSceneManager();
    if (manager && manager->getCurrentScene() && manager->getCurrentScene() != this) return true;

    if (getElapsedTime() >= MusicDelayMs && !m_musicStarted) {
        playLevelMusic();
        m_musicStarted = true;
    }
    if (runPendingAction()) return true;
    // A level whose goals were met before its notice could reach this screen ends now.
    if (m_entered && m_objectivesShown && owesLevelEnd()) {
        static_cast<void>(completeLevel(false));
        return true;
    }

    if (m_levelScene && dictionary()) {
        updateClock();
        if (m_dayBar && m_levelScene->getLevelConfiguration()) {
            m_dayBar->setMaxValue(
                static_cast<f32>(m_levelScene->getLevelConfiguration()->DayLength));
            m_dayBar->setValue(m_levelScene->DayTime);
        }
        if (GBuildingNode* focused = m_levelScene->getFocusedBuilding())
            if (focused->getProcess() || focused->getFeatureState(0) != 0 ||
                focused->getFeatureState(1) != 0)
                refreshBuildingTab();
        if (m_levelScene->MaterialsDeliveryRemaining >= 0.0f) refreshMaterialsTab();
        if (m_levelScene->WorkersDeliveryRemaining >= 0.0f) refreshWorkersTab();
    }

    if (m_tutorial && !m_tutorial->update(periodMs)) stopTutorial();
    updateHintWindow(periodMs);
    return true;
}

bool GGamePlayScene::runPendingAction() {
    switch (m_pendingAction) {
        case PendingShowObjectives: {
            CRefPtr<SceneNode> objectives =
                loadSceneOfType(GLevelObjectivesScene::SceneFile, GameNodeTypeLevelObjectivesScene);
            if (objectives) {
                static_cast<GLevelObjectivesScene*>(objectives.get())
                    ->setLevelScene(m_levelScene.get());
                static_cast<void>(switchTo(objectives.get(), true, transitionStates().NavFrom,
                                           transitionStates().NavTo));
            }
            m_objectivesShown = true;
            m_pendingAction = PendingNone;
            return true;
        }
        case PendingStartTutorial:
            if (m_objectivesShown && !m_tutorialStarted) {
                m_tutorialStarted = true;
                if (m_tutorial) m_tutorial->start();
            }
            m_pendingAction = PendingNone;
            return true;
        case PendingCheckLevelEnd:
            if (!showNextAchievement() && m_levelScene) {
                // An end not yet recorded is recorded first; that opens the results itself.
                if (owesLevelEnd())
                    static_cast<void>(completeLevel(false));
                else if (m_levelScene->isReadyToComplete() || m_forcedEnd)
                    static_cast<void>(showLevelCompleted());
            }
            m_pendingAction = PendingNone;
            return true;
        default:
            return false;
    }
}

void GGamePlayScene::updateClock() {
    const GLevelConfiguration* configuration = m_levelScene->getLevelConfiguration();
    if (!m_clockHand || !configuration || !configuration->IsClockOn) return;
    // A level without a time limit has no countdown: the hand rests at twelve, no alarm sounds.
    const bool counting = configuration->LevelTime > 0;
    f32 fraction = 0.0f;
    s32 remaining = 0;
    if (counting) {
        const f32 limit = static_cast<f32>(configuration->LevelTime) * 1000.0f;
        fraction = m_levelScene->LevelTimeMs / limit;
        remaining = static_cast<s32>(std::floor(limit - m_levelScene->LevelTimeMs + 0.5f));
        if (fraction > 1.0f) fraction = 1.0f;
    }
    m_clockHand->setRotation(vector3df(0.0f, 0.0f, fraction * 360.0f));
    if (m_timeText)
        m_timeText->setText(formatMinutesSeconds(
            static_cast<u32>(m_levelScene->LevelTimeMs > 0.0f ? m_levelScene->LevelTimeMs : 0.0f)));
    if (counting) {
        CSoundGroupManager* sounds = groups();
        if (remaining >= 0 && remaining < AlarmLeadMs && !m_alarmOn) {
            if (sounds) sounds->playCue(GSoundCueIds::get().AlmostEnd, false, 0);
            m_alarmOn = true;
        } else if (remaining < 0 && m_alarmOn) {
            if (sounds) {
                sounds->stopCue(GSoundCueIds::get().AlmostEnd, 0);
                sounds->playCue(GSoundCueIds::get().TimeOver, false, 0);
            }
            m_alarmOn = false;
        }
    }
    if (m_timeSector) m_timeSector->Angle1 = static_cast<s32>(fraction * 360.0f);
}

void GGamePlayScene::updateHintWindow(u32 elapsedMs) {
    if (m_tutorial || !m_hintWindow || !m_levelScene) return;
    const GLevelConfiguration* configuration = m_levelScene->getLevelConfiguration();
    if (!configuration || configuration->LevelNumber <= LastLevelWithoutHints) return;
    const stringc& hint = m_levelScene->CompletionHint;
    if (!hint.empty()) {
        m_hintCountdown -= static_cast<s32>(elapsedMs);
        if (m_hintCountdown > 0) return;
        if (m_hintWindow->isVisible()) {
            m_hintCountdown = HintPauseMs;
            m_hintWindow->playState(transitionStates().NavFrom);
            return;
        }
        const stringw text = widen(hint);
        for (const stringw& shown : m_shownHints)
            if (shown == text) return;
        if (CSoundGroupManager* sounds = groups())
            sounds->playCue(GSoundCueIds::get().TutorialWindow, false, 0);
        m_hintCountdown = HintShowMs;
        m_hintWindow->playState(transitionStates().NavTo);
        if (TextNode* caption = childOfKind<TextNode>(m_hintWindow.get(), "Text", NodeTypeText))
            caption->setText(text);
        m_shownHints.push_back(text);
        return;
    }
    if (m_hintWindow->isVisible()) {
        m_hintCountdown = 0;
        m_hintWindow->playState(transitionStates().NavFrom);
    }
}

CRefPtr<SceneNode> GGamePlayScene::loadSceneOfType(const char* path, s32 typeId) {
    IContentManager* content = getContentManager();
    CResource* loaded =
        content ? content->getContentByPath(TypeCodeSceneNode, stringc(path), true) : nullptr;
    if (!loaded) return nullptr;
    SceneNode* scene = loaded->getTypeCode() == TypeCodeSceneNode
                           ? asSceneNode(static_cast<BaseNode*>(loaded))
                           : nullptr;
    if (!scene || !scene->isKindOf(typeId)) {
        loaded->drop();
        return nullptr;
    }
    return CRefPtr<SceneNode>::fromRaw(scene);
}

void GGamePlayScene::stopTutorial() {
    if (!m_tutorial) return;
    ITutorial* tutorial = m_tutorial.get();
    removePreReceiver(tutorial);
    if (m_levelScene) {
        m_levelScene->removePreReceiver(tutorial);
        for (const CRefPtr<GBuildingNode>& building : m_levelScene->getBuildings())
            building->removePreReceiver(tutorial);
    }
    if (m_actionsTabScene) m_actionsTabScene->removePreReceiver(tutorial);
    tutorial->stop();
    m_tutorial = nullptr;
}

bool GGamePlayScene::showLevelCompleted() {
    CRefPtr<SceneNode> completed =
        loadSceneOfType(GLevelCompletedScene::SceneFile, GameNodeTypeLevelCompletedScene);
    if (!completed) return false;
    static_cast<GLevelCompletedScene*>(completed.get())->setLevelScene(m_levelScene.get());
    return switchTo(completed.get(), true, transitionStates().NavFrom, transitionStates().NavTo);
}

// ---- Music ----

bool GGamePlayScene::isLevelMusicPlaying() const {
    CSoundGroupManager* sounds = groups();
    return sounds && m_musicCue >= 0 && sounds->isCuePlaying(CNameId::fromId(m_musicCue));
}

void GGamePlayScene::playLevelMusic() {
    CSoundGroupManager* sounds = groups();
    if (sounds && m_musicCue >= 0) sounds->playCue(CNameId::fromId(m_musicCue), true, 0);
}

// ---- Keys ----

bool GGamePlayScene::onKeyUp(CEvent* event) {
    if (GBaseSceneNode::onKeyUp(event)) return true;
    const u32 key = scenes::eventKey(event);
    if (key == VirtualKeyEscape) {
        static_cast<void>(switchToSceneFile(stringc(InGameMenuFile), true,
                                            transitionStates().NavFrom, transitionStates().NavTo));
        return true;
    }
    IGameServices* s = services();
    if (!s || !s->developerKeysEnabled()) return false;
    return runDeveloperKey(key, static_cast<CEventKeyboardKey*>(event)->isShift());
}

bool GGamePlayScene::runDeveloperKey(u32 key, bool shift) {
    if (key == VirtualKeyE) {
        m_forcedEnd = true;
        static_cast<void>(completeLevel(shift));
        return true;
    }
    // The other keys change the level; without one they are not taken.
    if (!m_levelScene) return false;
    switch (key) {
        case VirtualKeyNumPadAdd:
            m_levelScene->Money += DeveloperMoneyStep;
            break;
        case VirtualKeyMinus:
            m_levelScene->Money -= DeveloperMoneyStep;
            break;
        case VirtualKeyNumPadMultiply:
            m_levelScene->Materials += DeveloperMaterialsStep;
            break;
        case VirtualKeyNumPadDivide:
            // A worker more on the team: free and counted.
            m_levelScene->Workers += 1;
            m_levelScene->WorkersTotal += 1;
            break;
        case VirtualKeyR: {
            auto request = makeRef<GEventWeatherRequest>(DeveloperWeatherMs, DeveloperWeatherMs);
            static_cast<void>(m_levelScene->onEvent(request.get()));
            break;
        }
        default:
            return false;
    }
    onLevelChanged(nullptr);
    return true;
}

}  // namespace brasquel
