// The play screen's level end (score, the player's progress, the level achievements, the
// level-completed scene), its queue of achievement pop-ups with the money achievements, and its
// answer to the window losing its activation.

#include <cmath>
#include <limits>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/SceneManager.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GCompletionRules.h"
#include "game/config/GExternalHooks.h"
#include "game/config/GListTexts.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/level/GGameEvents.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/play/GGamePlayScene.h"
#include "game/scenes/GAchievementsScene.h"
#include "game/scenes/GLoadingLevelScene.h"
#include "game/scenes/GSceneSupport.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr s32 LevelSoundGroup = static_cast<s32>(GLoadingLevelScene::LevelSoundGroup);

// The achievement counters that follow the level's money, in the order they are fed.
constexpr u32 MoneyCounters[] = {GAchievementsProgress::MoneyLow,
                                 GAchievementsProgress::MoneyMiddle,
                                 GAchievementsProgress::MoneyHigh};

IGameServices* services() { return IGameServices::get(); }

CSoundGroupManager* groups() {
    IGameServices* s = services();
    return s ? s->getSoundGroupManager() : nullptr;
}

GAchievementsProgress* achievements() {
    IGameServices* s = services();
    return s ? s->getAchievementsProgress() : nullptr;
}

// The amount rounded half up, held within the range of an int.
s32 roundedMoney(f32 amount) {
    const f64 rounded = std::floor(static_cast<f64>(amount) + 0.5);
    if (rounded >= static_cast<f64>(std::numeric_limits<s32>::max()))
        return std::numeric_limits<s32>::max();
    if (rounded <= static_cast<f64>(std::numeric_limits<s32>::min()))
        return std::numeric_limits<s32>::min();
    return static_cast<s32>(rounded);
}

}  // namespace

void GGamePlayScene::resetLevelEnd() {
    m_levelCompleted = false;
    m_forcedEnd = false;
}

bool GGamePlayScene::onLevelFinished(CEvent* event) {
    // Only the level's own notice ends the level.
    const auto* notice = dynamic_cast<const GEventLevelCompleted*>(event);
    if (!notice || notice->Flag == 0) return false;
    return completeLevel(false);
}

bool GGamePlayScene::owesLevelEnd() const {
    return !m_levelCompleted && m_levelScene && m_levelScene->isReadyToComplete();
}

bool GGamePlayScene::completeLevel(bool forced) {
    // A level ends once: a repeated notice or the developer key after it changes nothing.
    if (m_levelCompleted) return true;
    m_levelCompleted = true;

    if (CSoundGroupManager* sounds = groups()) {
        sounds->stopGroup(LevelSoundGroup);
        if (m_musicCue >= 0) sounds->stopCue(CNameId::fromId(m_musicCue), 0);
        sounds->playCue(GSoundCueIds::get().LevelCompleted, false, 0);
    }

    GGameLevelScene* level = m_levelScene.get();
    const GLevelConfiguration* configuration = level ? level->getLevelConfiguration() : nullptr;
    const f32 levelTimeMs = level ? level->LevelTimeMs : 0.0f;
    s32 base = configuration ? configuration->Score : 0;
    if (!forced && configuration &&
        levelTimeMs <= static_cast<f32>(configuration->LevelTime) * 1000.0f)
        base = configuration->ExpertScore;
    const f32 gain = level ? level->ScoreGain : 0.0f;
    const s32 score = static_cast<s32>(static_cast<f32>(base) + gain);

    s32 old = 0;
    if (CProfile* profile = scenes::activeProfile()) {
        GAchievementsProgress* progress = achievements();
        const SCompletionResult result = applyPlayScreenCompletion(
            profile, score, configuration ? configuration->ExpertScore : 0,
            static_cast<s32>(levelTimeMs), progress, m_achievementQueue);
        // A refused level index wrote nothing: the whole score is this completion's gain.
        if (result.applied) old = result.previousScore;
        if (progress)
            progress->save();
        else
            static_cast<void>(profile->save());
        IGameServices* s = services();
        if (GExternalHooks* hooks = s ? s->getExternalHooks() : nullptr)
            hooks->onLevelCompleted(profile->getString(ProfileKeyLevelName),
                                    decimalText(static_cast<s32>(levelTimeMs / 1000.0f)));
    }
    if (level) level->ScoreGain = score > old ? static_cast<f32>(score - old) : 0.0f;

    if (!showNextAchievement()) static_cast<void>(showLevelCompleted());
    return true;
}

bool GGamePlayScene::showNextAchievement() {
    while (!m_achievementQueue.empty()) {
        const s32 index = m_achievementQueue.front();
        m_achievementQueue.erase(m_achievementQueue.begin());
        CRefPtr<SceneNode> popUp = loadSceneOfType(GAchievementUnlockedScene::SceneFile,
                                                   GameNodeTypeAchievementUnlockedScene);
        // A pop-up that cannot be shown drops its achievement; the next one is tried.
        if (!popUp || index < 0 ||
            index >= static_cast<s32>(GAchievementsProgress::AchievementCount))
            continue;
        static_cast<GAchievementUnlockedScene*>(popUp.get())
            ->setAchievement(static_cast<u32>(index));
        if (CSoundGroupManager* sounds = groups())
            sounds->playCue(GSoundCueIds::get().AchievementUnlocked, false, 0);
        return switchTo(popUp.get(), true, transitionStates().NavFrom, transitionStates().NavTo);
    }
    return false;
}

bool GGamePlayScene::checkMoneyAchievements() {
    GAchievementsProgress* progress = achievements();
    if (progress && m_levelScene) {
        const s32 money = roundedMoney(m_levelScene->Money);
        bool updated = false;
        for (u32 counter : MoneyCounters) {
            if (money <= progress->getCounter(counter)) continue;
            updated = true;
            if (progress->addProgress(counter, money))
                m_achievementQueue.push_back(static_cast<s32>(counter));
        }
        if (updated) progress->save();
    }
    return showNextAchievement();
}

bool GGamePlayScene::onWindowActivation(CEvent* event) {
    if (GBaseSceneNode::onWindowActivation(event)) return true;
    if (!event || !event->isKindOf(EventSystemFlowWindowFocus) ||
        static_cast<CEventSystemFlowWindowFocus*>(event)->isActive())
        return false;
    if (CSoundGroupManager* sounds = groups()) sounds->setGroupPaused(true, LevelSoundGroup);
    SceneManager* manager = getSceneManager();
    if (manager && manager->getCurrentScene() == this && m_entered && m_objectivesShown) {
        static_cast<void>(switchToSceneFile(stringc(InGameMenuFile), true,
                                            transitionStates().NavFrom, transitionStates().NavTo));
        // The window may not be drawn again until it is active: show the menu now.
        if (IGameServices* s = services()) s->renderFrame();
    }
    return false;
}

}  // namespace brasquel
