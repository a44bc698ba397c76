#include "game/scenes/GLoadingLevelScene.h"

#include "engine/audio/CSoundGroupManager.h"
#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/IGameServices.h"
#include "game/level/IGameLevelInfo.h"
#include "game/scenes/IGamePlayScreen.h"
#include "game/scenes/IMiniGame.h"

namespace brasquel {

using namespace oskel;

namespace {

void logFailure(const char* text, const stringc& hint) {
    CLogger::instance().logHint(text, hint.c_str(), LogError);
}

IGamePlayScreen* playScreenOf(SceneNode* scene) { return IGamePlayScreen::of(scene); }

IMiniGame* miniGameOf(SceneNode* scene) { return IMiniGame::of(scene); }

// A level's world: of the level scene's kind and answering what the panels read of a level.
bool isLevelScene(SceneNode* scene) { return IGameLevelInfo::of(scene) != nullptr; }

}  // namespace

GLoadingLevelScene* asLoadingLevelScene(BaseNode* node) {
    return node && node->isKindOf(GameNodeTypeLoadingLevelScene)
               ? static_cast<GLoadingLevelScene*>(node)
               : nullptr;
}

GLoadingLevelScene::GLoadingLevelScene(const CCreationContext& context, BaseNode* parent,
                                       SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

GLoadingLevelScene::~GLoadingLevelScene() {
    m_levelScene = nullptr;
    m_gamePlayScene = nullptr;
}

BRASQUEL_DEFINE_NODE_CLASS(GLoadingLevelScene, GameNodeTypeLoadingLevelScene, GBaseSceneNode)

void GLoadingLevelScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* body = findChildByName("Scene", 1);
    m_progressBg = body ? body->findChildByName("ProgressBg", 1) : nullptr;
    m_progressBar = body ? body->findChildByName("Progress", 1) : nullptr;
}

stringc GLoadingLevelScene::getLevelFolder() const {
    stringc folder(LevelsFolder);
    folder += m_levelName;
    folder += "/";
    return folder;
}

bool GLoadingLevelScene::onSceneChangeStarted(CEvent* event) {
    GBaseSceneNode::onSceneChangeStarted(event);
    if (entersThis(event, this)) {
        IGameServices* services = IGameServices::get();
        if (CSoundGroupManager* groups = services ? services->getSoundGroupManager() : nullptr)
            groups->stopGroup(static_cast<s32>(LevelSoundGroup));
        m_targetProgress = 0.0f;
        m_loadStep = LoadWait;
        updateProgressBar();
        return true;
    }
    return leavesThis(event, this);
}

void GLoadingLevelScene::updateProgressBar() {
    if (m_progressStep == 0.0f || m_shownProgress == m_targetProgress) return;
    m_shownProgress += m_progressStep;
    if (m_shownProgress > m_targetProgress) m_shownProgress = m_targetProgress;
    if (!m_progressBg || !m_progressBar) return;
    const vector3df& full = m_progressBg->getBounds();
    m_progressBar->setBounds(full.X * m_shownProgress / m_progressStep, full.Y);
    m_progressBar->updateAbsoluteTransform();
}

bool GLoadingLevelScene::onUpdate(u32 periodMs) {
    GBaseSceneNode::onUpdate(periodMs);
    CRefPtr<BaseNode> self(this);  // a switch may let go of this scene
    switch (m_loadStep) {
        case LoadWait:
            if (getElapsedTime() > StartDelayMs) {
                m_targetProgress = 10.0f;
                m_loadStep = LoadLevel;
            }
            break;
        case LoadLevel:
            if (!loadLevelScene()) return goBackFromLoading();
            m_targetProgress = 50.0f;
            m_loadStep = LoadIdentify;
            break;
        case LoadIdentify: {
            bool switched = false;
            if (!identifyLevelScene(switched)) return goBackFromLoading();
            if (switched) {
                m_targetProgress = 100.0f;
                m_loadStep = LoadIdle;
            } else {
                m_targetProgress = 60.0f;
                m_loadStep = LoadPlayScreen;
            }
            break;
        }
        case LoadPlayScreen:
            if (!loadGamePlayScene()) return goBackFromLoading();
            m_targetProgress = 80.0f;
            m_loadStep = LoadStart;
            break;
        case LoadStart:
            if (!startLevel()) return goBackFromLoading();
            break;
        default:
            break;
    }
    updateProgressBar();
    return true;
}

bool GLoadingLevelScene::goBackFromLoading() {
    m_loadStep = LoadIdle;
    static_cast<void>(goBack(0, transitionStates().NavBackFrom, transitionStates().NavBackTo));
    return false;
}

bool GLoadingLevelScene::loadLevelScene() {
    if (m_levelName.empty()) return false;
    const stringc folder = getLevelFolder();
    stringc path = folder;
    path += LevelSceneFile;
    IContentManager* content = getContentManager();
    CResource* loaded =
        content ? content->getContentByPath(TypeCodeSceneNode, path, true) : nullptr;
    SceneNode* scene = loaded && loaded->getTypeCode() == TypeCodeSceneNode
                           ? asSceneNode(static_cast<BaseNode*>(loaded))
                           : nullptr;
    if (!scene) {
        if (loaded) loaded->drop();
        logFailure("Unable to load level scene", folder);
        return false;
    }
    m_levelScene = CRefPtr<SceneNode>::fromRaw(scene);
    return true;
}

bool GLoadingLevelScene::identifyLevelScene(bool& switched) {
    switched = false;
    if (!m_levelScene) return false;
    if (isLevelScene(m_levelScene.get())) return true;
    if (IMiniGame* miniGame = miniGameOf(m_levelScene.get())) {
        static_cast<void>(miniGame->loadConfiguration(getLevelFolder()));
        CRefPtr<SceneNode> game = m_levelScene;
        m_levelScene = nullptr;
        const bool done =
            switchTo(game.get(), true, transitionStates().NavFrom, transitionStates().NavTo);
        switched = done;
        return done;
    }
    logFailure("Unable to identify level scene", getLevelFolder());
    return false;
}

bool GLoadingLevelScene::loadGamePlayScene() {
    IContentManager* content = getContentManager();
    CResource* loaded =
        content ? content->getContentByPath(TypeCodeSceneNode, stringc(GamePlayFile), true)
                : nullptr;
    if (!loaded) {
        CLogger::instance().log("Unable to load GamePlayScene.oscn", LogError);
        return false;
    }
    SceneNode* scene = loaded->getTypeCode() == TypeCodeSceneNode
                           ? asSceneNode(static_cast<BaseNode*>(loaded))
                           : nullptr;
    if (!playScreenOf(scene)) {
        loaded->drop();
        CLogger::instance().log("Unable to identify GamePlayScene.oscn", LogError);
        return false;
    }
    m_gamePlayScene = CRefPtr<SceneNode>::fromRaw(scene);
    return true;
}

bool GLoadingLevelScene::startLevel() {
    IGamePlayScreen* screen = playScreenOf(m_gamePlayScene.get());
    if (!screen || !m_levelScene || !isLevelScene(m_levelScene.get())) return false;
    const bool loaded = screen->loadLevel(getLevelFolder(), m_levelScene.get());
    if (loaded)
        static_cast<void>(switchTo(m_gamePlayScene.get(), false, transitionStates().NavFrom,
                                   transitionStates().NavTo));
    m_levelScene = nullptr;
    m_gamePlayScene = nullptr;
    m_targetProgress = 100.0f;
    m_loadStep = LoadIdle;
    return loaded;
}

}  // namespace brasquel
