#include "game/scenes/GLevelObjectivesScene.h"

#include "engine/core/StringUtils.h"
#include "engine/nodes/TextNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/NodeEvents.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/config/GSoundCueIds.h"
#include "game/level/IGameLevelInfo.h"
#include "game/scenes/IGamePlayScreen.h"

namespace brasquel {

using namespace oskel;
using namespace scenes;

namespace {

void show(BaseNode* node, bool visible) {
    if (node) node->setVisible(visible);
}

s32 activeLevelIndex() {
    CProfile* profile = activeProfile();
    return profile ? profile->getInt(ProfileKeyLevelIndex) : 0;
}

}  // namespace

BRASQUEL_DEFINE_GAME_SCENE_CLASS(GLevelObjectivesScene, GameNodeTypeLevelObjectivesScene)

GLevelObjectivesScene::GLevelObjectivesScene(const CCreationContext& context, BaseNode* parent,
                                             SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {
    setBackByKey(true);
}

GLevelObjectivesScene::~GLevelObjectivesScene() = default;

void GLevelObjectivesScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* scene = childOf(this, "Scene");
    m_levelText = textChildOf(scene, "LevelText");
    m_welcomeText = textChildOf(scene, "WelcomeText");
    m_infoText = textChildOf(scene, "InfoText");
    m_clockNode = childOf(scene, "Clock");
    m_expertTimeText = textChildOf(scene, "ExpertTimeText");
    m_gStarNode = childOf(scene, "GStar");
    m_expertScoreText = textChildOf(scene, "ExpertScoreText");
    m_sStarNode = childOf(scene, "SStar");
    m_scoreText = textChildOf(scene, "ScoreText");
}

void GLevelObjectivesScene::setLevelScene(BaseNode* level) {
    m_levelScene = CRefPtr<BaseNode>(level);
}

void GLevelObjectivesScene::fill() {
    playCue(GSoundCueIds::get().ObjectivesWindow);
    IGameLevelInfo* level = IGameLevelInfo::of(m_levelScene.get());
    if (!level || !level->hasLevelConfiguration()) return;
    setText(m_levelText, dictionaryText("GamePlay_LEVEL", level->getLevelName()));
    const s32 levelIndex = activeLevelIndex();
    if (m_welcomeText) {
        m_welcomeText->setVisible(levelIndex == 0);
        if (levelIndex == 0)
            m_welcomeText->setText(dictionaryText("MainMenu_WelcomeTxt", activePlayerName()));
    }
    setText(m_infoText, level->getLevelDescription());
    const s32 seconds = level->getLevelTimeLimit();
    setText(m_expertTimeText,
            dashedText("Obj_ExpertTimeTxt",
                       formatMinutesSeconds(static_cast<u32>(seconds > 0 ? seconds : 0) * 1000u)));
    setText(m_expertScoreText,
            dashedText("Obj_ExpertScoreTxt", groupDigits(level->getLevelExpertScore(), L',')));
    setText(m_scoreText, dashedText("Obj_ScoreTxt", groupDigits(level->getLevelScore(), L',')));
    if (levelIndex < FullObjectivesLevel) {
        show(m_clockNode, false);
        show(m_expertTimeText, false);
        show(m_sStarNode, false);
        show(m_scoreText, false);
    }
}

bool GLevelObjectivesScene::onSceneChangeStarted(CEvent* event) {
    GBaseSceneNode::onSceneChangeStarted(event);
    if (!entersThis(event, this)) return false;
    fill();
    return true;
}

bool GLevelObjectivesScene::onUpdate(u32 periodMs) {
    GBaseSceneNode::onUpdate(periodMs);
    if (getElapsedTime() < MusicWait) return true;
    IGamePlayScreen* play = IGamePlayScreen::of(getPreviousScene());
    if (play && !play->isLevelMusicPlaying()) play->playLevelMusic();
    return true;
}

bool GLevelObjectivesScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    if (!isNamed(eventNode(event), "OkButton")) return false;
    goBack(0);
    return true;
}

}  // namespace brasquel
