#include "game/scenes/GMainMenuScene.h"

#include "engine/audio/CSoundGroupManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/ICursorControl.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CTextDictionary.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/TextNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/properties/CPropertyData.h"
#include "engine/scene/ControlNode.h"
#include "engine/scene/ISceneHost.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneManager.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/level/GLevelPaths.h"
#include "game/scenes/GLoadingLevelScene.h"
#include "game/scenes/GSceneSupport.h"

namespace brasquel {

using namespace oskel;
using scenes::activeProfile;
using scenes::childOf;
using scenes::soundGroups;
using scenes::stateId;

namespace {

const SceneNode* sceneLeft(const CEvent* event) {
    return static_cast<const CEventNodeSceneSwitch*>(event)->getFromScene();
}

const SceneNode* sceneEntered(const CEvent* event) {
    return static_cast<const CEventNodeSceneSwitch*>(event)->getToScene();
}

bool entersMap(const CEvent* event) {
    const SceneNode* to = sceneEntered(event);
    return to && to->isKindOf(GameNodeTypeMapScene);
}

}  // namespace

GMainMenuScene::GMainMenuScene(const CCreationContext& context, BaseNode* parent,
                               SceneManager* manager)
    : GBaseSceneNode(context, parent, manager), m_paths(makeRef<GLevelPaths>()) {
    readPaths();
}

GMainMenuScene::~GMainMenuScene() {
    if (m_clipNode) m_clipNode->removePreReceiver(this);
}

void GMainMenuScene::readPaths() {
    IGameServices* services = IGameServices::get();
    CFileSystem* files = services ? services->getFileSystem() : nullptr;
    CXmlReader* reader = files ? files->createXmlReader(stringc(PathsFile)) : nullptr;
    if (!reader) return;  // the street stays empty
    if (!m_paths->read(reader))
        CLogger::instance().logHint("Paths file damaged", PathsFile, LogWarning);
    reader->drop();
}

BaseNode* GMainMenuScene::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GMainMenuScene>(this, parent, manager);
}

const stringw& GMainMenuScene::getClassName() const {
    static const stringw name(L"GMainMenuScene");
    return name;
}

const stringw& GMainMenuScene::getThisClassName() const {
    static const stringw name(L"GMainMenuScene");
    return name;
}

s32 GMainMenuScene::getTypeId() const { return GameNodeTypeMainMenuScene; }

bool GMainMenuScene::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypeMainMenuScene || GBaseSceneNode::isKindOf(typeId);
}

void GMainMenuScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    if (m_clipNode) m_clipNode->removePreReceiver(this);
    m_sceneNode = childOf(this, "Scene");
    BaseNode* text = childOf(m_sceneNode, "WelcomeText");
    m_welcomeText = text && text->isKindOf(NodeTypeText) ? static_cast<TextNode*>(text) : nullptr;
    BaseNode* active = childOf(childOf(this, "BgScene"), "ActiveBg");
    BaseNode* back = childOf(active, "BackButton");
    m_backButton =
        back && back->isKindOf(NodeTypeControl) ? static_cast<ControlNode*>(back) : nullptr;
    m_clipNode = childOf(active, "ClipNode");
}

void GMainMenuScene::stopMenuCues() {
    CSoundGroupManager* groups = soundGroups();
    if (!groups) return;
    const GSoundCueIds& cues = GSoundCueIds::get();
    groups->stopCue(cues.MainMenuAmbient, 0);
    groups->stopCue(cues.MainMenuCarOut, 0);
    groups->stopCue(cues.MainMenuCarTo, 0);
}

bool GMainMenuScene::onSceneChangeStarted(CEvent* event) {
    GBaseSceneNode::onSceneChangeStarted(event);
    if (entersThis(event, this)) {
        if (IGameServices* services = IGameServices::get()) services->releaseUnused();
        SceneManager* manager = getSceneManager();
        ISceneHost* host = manager ? manager->getHost() : nullptr;
        if (ICursorControl* cursor = host ? host->getCursorControl() : nullptr)
            cursor->setVisible(true);
        if (CSoundGroupManager* groups = soundGroups()) {
            groups->playCue(GSoundCueIds::get().MenuMusic, true, 0);
            groups->playCue(GSoundCueIds::get().MainMenuAmbient, true, 0);
        }
        if (m_welcomeText) {
            IGameServices* services = IGameServices::get();
            CTextDictionary* dictionary = services ? services->getTextDictionary() : nullptr;
            CProfile* profile = activeProfile();
            const stringw name = profile ? profile->getName() : stringw();
            if (dictionary)
                m_welcomeText->setText(dictionary->getTextWithParams(WelcomeKey, name, stringw(),
                                                                     stringw(), stringw()));
        }
        const SceneNode* from = sceneLeft(event);
        if (from && from->isKindOf(GameNodeTypeLevelCompletedScene)) {
            if (m_sceneNode) {
                m_sceneNode->setVisible(false);
                m_sceneNode->setPosition(vector3df(ScrollShift, 0.0f, 0.0f));
            }
            if (m_clipNode) {
                m_clipNode->removePreReceiver(this);  // heard once
                m_clipNode->addPreReceiver(this);
                m_clipNode->setVisible(true);
                m_clipNode->setState(stateId("Scrolling"));
            }
            if (m_backButton) {
                m_backButton->setEnabled(true);
                m_backButton->setVisible(true);
                m_backButton->playState(stateId("Appear"));
            }
        } else {
            if (m_clipNode) m_clipNode->setVisible(false);
            if (m_backButton) {
                m_backButton->setEnabled(false);
                m_backButton->setVisible(false);
            }
        }
        return true;
    }
    if (leavesThis(event, this)) {
        closeScroll(true);
        if (entersMap(event)) stopMenuCues();
        return true;
    }
    return false;
}

bool GMainMenuScene::onSceneChangeFinished(CEvent* event) {
    GBaseSceneNode::onSceneChangeFinished(event);
    if (entersThis(event, this)) {
        if (!activeProfile()) {
            // The name entry opens over the player selection, both over the menu.
            const s32 from = stateId("NavFrom");
            const s32 to = stateId("NavTo");
            switchToSceneFile(SelectPlayerFile, true, from, to);
            switchToSceneFile(InputNameFile, true, from, to);
        }
        return true;
    }
    if (leavesThis(event, this)) {
        if (entersMap(event)) stopMenuCues();
        return true;
    }
    return false;
}

bool GMainMenuScene::onStateFinished(CEvent* event) {
    auto* finished = static_cast<CEventNodeStateFinished*>(event);
    if (m_clipNode && finished->getNode() == m_clipNode &&
        finished->getStateId() == stateId("Scrolling")) {
        closeScroll(false);
        return true;
    }
    return GBaseSceneNode::onStateFinished(event);
}

bool GMainMenuScene::onNodeHovered(CEvent* event) { return GBaseSceneNode::onNodeHovered(event); }

void GMainMenuScene::startNewGame() {
    CProfile* profile = activeProfile();
    if (!profile) return;
    const s32 index = profile->getPropertyIndex(ProfileKeyMaxUnlockedLevelIndex);
    const s32 maxUnlocked =
        index < 0 ? -1
                  : unboxPropertyInt(profile->getProperty(ProfileKeyMaxUnlockedLevelIndex).get());
    const s32 from = stateId("NavFrom");
    const s32 to = stateId("NavTo");
    if (maxUnlocked == -1) {
        profile->setInt(ProfileKeyLevelIndex, 0);
        SceneNode* loading = switchToSceneFile(LoadingLevelFile, false, from, to);
        if (GLoadingLevelScene* screen = asLoadingLevelScene(loading))
            screen->setLevelName(FirstLevelName);
        return;
    }
    switchToSceneFile(MapFile, false, from, to);
}

bool GMainMenuScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    BaseNode* control = static_cast<CEventNodeOneNode*>(event)->getNode();
    if (!control) return false;
    const stringc& name = control->getNodeName();
    if (name == "QuitButton") {
        switchToSceneFile(QuitFile, true, stateId("NoTransTo"), stateId("NavTo"));
    } else if (name == "ChangePlayerButton") {
        switchToSceneFile(SelectPlayerFile, true, stateId("NavFromSlide"), stateId("NavTo"));
    } else if (name == "NewGameButton") {
        startNewGame();
    } else if (name == "CreditsButton") {
        switchToSceneFile(CreditsFile, true, stateId("NavFromSlide"), stateId("NavTo"));
    } else if (name == "OptionsButton") {
        switchToSceneFile(OptionsFile, true, stateId("NavFromSlide"), stateId("NavToSlide"));
    } else if (name == "AchievementsButton") {
        switchToSceneFile(AchievementsFile, true, stateId("NavFromSlide"), stateId("NavTo"));
    } else if (name == "Baloon" || name == "Baloon2") {
        // nothing more than the base's press
    } else if (name == "BackButton") {
        closeScroll(false);
    } else {
        return false;
    }
    return true;
}

void GMainMenuScene::closeScroll(bool immediately) {
    CRefPtr<BaseNode> self(this);
    if (m_sceneNode) {
        m_sceneNode->setVisible(true);
        m_sceneNode->playState(stateId("NavBackToSlide"), nullptr, -1);
        if (immediately) {
            m_sceneNode->stopAllStates(true);
            // Every state stopped to its end leaves its last values, in the order the states
            // are kept: the slide back in, once more, has the last word on where the part stands.
            m_sceneNode->stopState(stateId("NavBackToSlide"), true);
        }
    }
    if (m_clipNode) {
        m_clipNode->removePreReceiver(this);
        m_clipNode->setVisible(false);
        std::vector<CRefPtr<BaseNode>> children(m_clipNode->getChildren().begin(),
                                                m_clipNode->getChildren().end());
        for (const CRefPtr<BaseNode>& child : children) child->stopAllStates(false);
    }
    if (m_backButton) {
        m_backButton->setEnabled(false);
        m_backButton->playState(stateId("Disappear"));
        if (immediately) m_backButton->stopAllStates(true);
    }
}

}  // namespace brasquel
