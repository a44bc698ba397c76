#include "game/scenes/GLevelCompletedScene.h"

#include <algorithm>
#include <cwchar>

#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/nodes/TextNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/NodeEvents.h"
#include "game/config/ComicsConfiguration.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/level/IGameLevelInfo.h"

namespace brasquel {

using namespace oskel;
using namespace scenes;

namespace {

// A value as the results show it: whole units, "," every three digits.
stringw wholeNumber(f32 value) { return groupDigits(static_cast<s32>(value), L','); }

stringw wholeTime(f32 ms) { return formatMinutesSeconds(ms > 0.0f ? static_cast<u32>(ms) : 0u); }

// The value moved on by the share of the final value that the elapsed time counts, capped.
void countUp(f32& shown, s32 final, u32 elapsedMs, f32 rate) {
    shown += static_cast<f32>(elapsedMs) * 0.001f * rate * static_cast<f32>(final);
    if (shown > static_cast<f32>(final)) shown = static_cast<f32>(final);
}

bool isCloseKey(u32 key) { return key == VirtualKeyEscape || key == VirtualKeyEnter; }

}  // namespace

BRASQUEL_DEFINE_GAME_SCENE_CLASS(GLevelCompletedScene, GameNodeTypeLevelCompletedScene)

GLevelCompletedScene::GLevelCompletedScene(const CCreationContext& context, BaseNode* parent,
                                           SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

GLevelCompletedScene::~GLevelCompletedScene() = default;

void GLevelCompletedScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* scene = childOf(this, "Scene");
    auto row = [scene](const char* name) {
        SRow found;
        found.node = childOf(scene, name);
        found.text = textChildOf(found.node, "Text");
        return found;
    };
    m_expertTime = row("ExpertTimeNode");
    m_time = row("TimeNode");
    m_timeScore = row("TimeScoreNode");
    m_expertScore = row("ExpertScoreNode");
    m_score = row("ScoreNode");
    m_doneText = textChildOf(scene, "DoneText");
}

BaseNode* GLevelCompletedScene::getNode(const char* name) const {
    return childOf(childOf(this, "Scene"), name);
}

TextNode* GLevelCompletedScene::getText(const char* nodeName) const {
    return textChildOf(getNode(nodeName), "Text");
}

void GLevelCompletedScene::setLevelScene(BaseNode* level) {
    m_levelScene = CRefPtr<BaseNode>(level);
}

s32 GLevelCompletedScene::getLevelNumber() const {
    IGameLevelInfo* level = IGameLevelInfo::of(m_levelScene.get());
    if (!level) return 0;
    const stringw name = level->getLevelName();
    wchar_t* end = nullptr;
    const long number = std::wcstol(name.c_str(), &end, 10);
    return end == name.c_str() ? 0 : static_cast<s32>(number);
}

void GLevelCompletedScene::prepare() {
    m_countPhase = 1;
    m_phaseTime = 0;
    m_musicStarted = false;
    m_closed = false;
    IGameLevelInfo* level = IGameLevelInfo::of(m_levelScene.get());
    const f32 levelTime = level ? static_cast<f32>(level->getLevelTime()) : 0.0f;
    const f32 levelScore = level ? level->getScoreGain() : 0.0f;
    m_shownTime = levelTime;
    m_finalTime = static_cast<s32>(levelTime);
    m_shownScore = 0.0f;
    m_finalScore = static_cast<s32>(levelScore);
    const s32 target = level ? level->getLevelScore() : 0;
    const f32 completion = static_cast<f32>(target) <= levelScore ? static_cast<f32>(target) : 0.0f;
    const f32 bonus = std::max(0.0f, levelScore - completion);
    const s32 limit = level ? level->getLevelTimeLimit() : 0;
    setText(m_timeScore.text, dashedText("LevelCompleted_ComplScoreTxt", wholeNumber(completion)));
    setText(m_expertScore.text, dashedText("LevelCompleted_BonusScoreTxt", wholeNumber(bonus)));
    setText(m_score.text, dashedText("LevelCompleted_ScoreTxt", wholeNumber(m_shownScore)));
    setText(m_expertTime.text, dashedText("LevelCompleted_ExpertTimeTxt",
                                          wholeTime(static_cast<f32>(limit) * 1000.0f)));
    setText(m_time.text, dashedText("LevelCompleted_TimeTxt", wholeTime(m_shownTime)));
    const s32 number = getLevelNumber();
    auto place = [](BaseNode* node, f32 x, f32 y) {
        if (node) node->setPosition(vector3df(x, y, 1.0f));
    };
    auto hide = [](BaseNode* node) {
        if (node) node->setVisible(false);
    };
    if (number < FirstTimedLevel) {
        hide(m_expertTime.node);
        hide(m_time.node);
        place(m_timeScore.node, 81.0f, 126.0f);
        place(m_expertScore.node, 81.0f, 162.0f);
        place(m_score.node, 81.0f, 283.0f);
    } else if (number == LastLevel) {
        hide(m_timeScore.node);
        hide(m_expertScore.node);
        hide(m_score.node);
        place(m_expertTime.node, 80.0f, 145.0f);
        place(m_time.node, 80.0f, 283.0f);
    }
    setText(m_doneText, dictionaryText("LevelCompleted_Done", activePlayerName()));
}

bool GLevelCompletedScene::onSceneChangeStarted(CEvent* event) {
    GBaseSceneNode::onSceneChangeStarted(event);
    if (!entersThis(event, this)) return false;
    prepare();
    return true;
}

bool GLevelCompletedScene::onUpdate(u32 periodMs) {
    GBaseSceneNode::onUpdate(periodMs);
    const GSoundCueIds& cues = GSoundCueIds::get();
    if (!m_fanfarePlayed && getElapsedTime() > FanfareTime) {
        m_fanfarePlayed = true;
        playCue(cues.AchievementUnlocked);
    }
    if (!m_musicStarted && getElapsedTime() > MusicTime) {
        m_musicStarted = true;
        playCue(cues.MenuMusic, true);
    }
    m_phaseTime += periodMs;
    if (m_countPhase == 1 && m_phaseTime >= PauseTime) {
        m_countPhase = 2;
        m_phaseTime = 0;
    } else if (m_countPhase == 2) {
        countUp(m_shownTime, m_finalTime, periodMs, CountRate);
        countUp(m_shownScore, m_finalScore, periodMs, CountRate);
        const s32 number = getLevelNumber();
        if (number != LastLevel)
            setText(m_score.text, dashedText("LevelCompleted_ScoreTxt", wholeNumber(m_shownScore)));
        if (number >= FirstTimedLevel)
            setText(m_time.text, dashedText("LevelCompleted_TimeTxt", wholeTime(m_shownTime)));
        if (m_shownTime >= static_cast<f32>(m_finalTime) &&
            m_shownScore >= static_cast<f32>(m_finalScore)) {
            m_countPhase = 0;
            m_phaseTime = 0;
        }
    }
    return true;
}

void GLevelCompletedScene::close() {
    if (m_closed) return;  // one close per entry, however many requests are queued
    m_closed = true;
    CRefPtr<BaseNode> self(this);
    clearUpperLayer();
    CProfile* profile = activeProfile();
    const s32 maxUnlocked = profile ? profile->getInt(ProfileKeyMaxUnlockedLevelIndex) : 0;
    const s32 levelIndex = profile ? profile->getInt(ProfileKeyLevelIndex) : 0;
    const bool comicCandidate = profile && levelIndex >= maxUnlocked;
    if (getLevelNumber() == LastLevel && profile && profile->getBool(ProfileKeyShowFinalCredits)) {
        profile->setBool(ProfileKeyShowFinalCredits, false);
        if (!profile->save()) CLogger::instance().log("Unable to save the profiles", LogWarning);
        goBack(3);
        return;
    }
    // The scene reached: two links below the play screen.
    SceneNode* reached = getPreviousScene();
    for (int i = 0; i < 2 && reached; ++i) reached = reached->getPreviousScene();
    goBack(2);
    // After the first level the map opens, unless the level was started from the map.
    if (levelIndex == 1 && !(reached && reached->isKindOf(GameNodeTypeMapScene)))
        switchToSceneFile(MapFile, false, stateId("NavFrom"), stateId("NavTo"));
    if (!comicCandidate) return;
    IGameServices* services = IGameServices::get();
    ComicsConfiguration* comics = services ? services->getComicsConfiguration() : nullptr;
    ComicsEntry* entry = comics ? comics->find(levelIndex) : nullptr;
    if (!entry || entry->ScenePath.empty()) return;
    switchToSceneFile(stringc(toUtf8(entry->ScenePath.c_str()).c_str()), false, stateId("NavFrom"),
                      stateId("NavTo"));
}

bool GLevelCompletedScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    if (!isNamed(eventNode(event), "OkButton")) return false;
    close();
    return true;
}

bool GLevelCompletedScene::onKeyUp(CEvent* event) {
    if (GBaseSceneNode::onKeyUp(event)) return true;
    if (!isCloseKey(eventKey(event))) return false;
    close();
    return true;
}

BRASQUEL_DEFINE_GAME_SCENE_CLASS(GMiniCompletedScene, GameNodeTypeMiniCompletedScene)

GMiniCompletedScene::GMiniCompletedScene(const CCreationContext& context, BaseNode* parent,
                                         SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

void GMiniCompletedScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* scene = childOf(this, "Scene");
    m_timeNode = childOf(scene, "TimeNode");
    m_timeText = textChildOf(m_timeNode, "Text");
    m_scoreNode = childOf(scene, "ScoreNode");
    m_scoreText = textChildOf(m_scoreNode, "Text");
    m_doneText = textChildOf(scene, "DoneText");
}

void GMiniCompletedScene::setResults(s32 code, s32 timeMs, s32 score) {
    m_resultCode = code;
    m_resultTime = timeMs;
    m_resultScore = score;
}

void GMiniCompletedScene::showValues() {
    setText(m_scoreText, dashedText("LevelCompleted_ScoreTxt", wholeNumber(m_shownScore)));
    setText(m_timeText, dashedText("LevelCompleted_TimeTxt", wholeTime(m_shownTime)));
}

void GMiniCompletedScene::prepare() {
    playCue(GSoundCueIds::get().AchievementUnlocked);
    m_countPhase = 1;
    m_phaseTime = 0;
    m_closed = false;
    m_shownTime = 0.0f;
    m_finalTime = m_resultTime;
    m_shownScore = 0.0f;
    m_finalScore = m_resultScore;
    showValues();
    setText(m_doneText, dictionaryText("LevelCompleted_Done", activePlayerName()));
}

bool GMiniCompletedScene::onSceneChangeStarted(CEvent* event) {
    const bool base = GBaseSceneNode::onSceneChangeStarted(event);
    if (!entersThis(event, this)) return base;
    prepare();
    return true;
}

bool GMiniCompletedScene::onUpdate(u32 periodMs) {
    GBaseSceneNode::onUpdate(periodMs);
    m_phaseTime += periodMs;
    if (m_countPhase == 1 && m_phaseTime >= GLevelCompletedScene::PauseTime) {
        m_countPhase = 2;
        m_phaseTime = 0;
    } else if (m_countPhase == 2) {
        countUp(m_shownTime, m_finalTime, periodMs, GLevelCompletedScene::CountRate);
        countUp(m_shownScore, m_finalScore, periodMs, GLevelCompletedScene::CountRate);
        showValues();
        if (m_shownTime >= static_cast<f32>(m_finalTime) &&
            m_shownScore >= static_cast<f32>(m_finalScore)) {
            m_countPhase = 0;
            m_phaseTime = 0;
        }
    }
    return true;
}

void GMiniCompletedScene::close() {
    if (m_closed) return;  // one close per entry
    m_closed = true;
    clearUpperLayer();
    goBack(2);
}

bool GMiniCompletedScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    if (!isNamed(eventNode(event), "OkButton")) return false;
    close();
    return true;
}

bool GMiniCompletedScene::onKeyUp(CEvent* event) {
    if (GBaseSceneNode::onKeyUp(event)) return true;
    if (!isCloseKey(eventKey(event))) return false;
    close();
    return true;
}

}  // namespace brasquel
