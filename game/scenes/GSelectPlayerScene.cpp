#include "game/scenes/GSelectPlayerScene.h"

#include <algorithm>

#include "engine/core/CLogger.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/nodes/EditNode.h"
#include "engine/nodes/ListNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneManager.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/config/IGameServices.h"

namespace brasquel {

using namespace oskel;
using namespace scenes;

namespace {

CProfileManager& profiles() { return CProfileManager::instance(); }

void saveUserProfiles() {
    if (!profiles().saveUserProfiles())
        CLogger::instance().log("Unable to save the profiles", LogWarning);
}

void enable(ControlNode* control, bool on) {
    if (control) control->setEnabled(on);
}

}  // namespace

BRASQUEL_DEFINE_GAME_SCENE_CLASS(GSelectPlayerScene, GameNodeTypeSelectPlayerScene)

GSelectPlayerScene::GSelectPlayerScene(const CCreationContext& context, BaseNode* parent,
                                       SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

void GSelectPlayerScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* scene = childOf(this, "Scene");
    BaseNode* list = childOf(scene, "PlayersList");
    m_playersList = list && list->isKindOf(NodeTypeList) ? static_cast<ListNode*>(list) : nullptr;
    m_okButton = controlChildOf(scene, "OkButton");
    m_newPlayerButton = controlChildOf(scene, "NewPlayerButton");
    m_deletePlayerButton = controlChildOf(scene, "DeletePlayerButton");
}

void GSelectPlayerScene::fillPlayersList(bool markActive) {
    if (!m_playersList) return;
    const u32 count = profiles().getProfileCount();
    m_playersList->setItemsCount(count);
    CProfile* active = profiles().getActiveProfile();
    for (u32 i = 0; i < count; ++i) {
        CProfile* profile = profiles().getProfile(static_cast<s32>(i));
        m_playersList->setItemText(static_cast<s32>(i), 0,
                                   profile ? profile->getName() : stringw());
        if (markActive && profile && profile == active)
            m_playersList->setSelectedItem(static_cast<s32>(i), true);
    }
    m_playersList->refreshElements();
}

void GSelectPlayerScene::enableButtons() {
    const u32 count = profiles().getProfileCount();
    enable(m_okButton, count > 0);
    enable(m_newPlayerButton, count < MaxPlayers);
    enable(m_deletePlayerButton, count > 0);
}

bool GSelectPlayerScene::onSceneChangeStarted(CEvent* event) {
    const bool base = GBaseSceneNode::onSceneChangeStarted(event);
    const u32 count = profiles().getProfileCount();
    if (leavesThis(event, this)) {
        m_knownPlayerCount = count;
        return true;
    }
    if (!entersThis(event, this)) return base;
    if (!isForwardSwitch(event)) {
        fillPlayersList(false);
        if (m_playersList) {
            if (count != m_knownPlayerCount && count != 0) {
                m_playersList->setSelectedItem(static_cast<s32>(count) - 1, true);
                m_playersList->refreshElements();
            }
            m_playersList->setFocused(true);
        }
    } else {
        fillPlayersList(true);
        m_knownPlayerCount = count;
    }
    enableButtons();
    return true;
}

void GSelectPlayerScene::choosePlayer() {
    const s32 index = m_playersList ? m_playersList->getSelectedItem() : 0;
    profiles().setActiveProfile(index);
    CProfile* active = profiles().getActiveProfile();
    if (!active) return;
    saveUserProfiles();
    IGameServices* services = IGameServices::get();
    if (services) services->applySoundSettings();
    if (GAchievementsProgress* progress = services ? services->getAchievementsProgress() : nullptr)
        progress->load(active->getString(ProfileKeyAchievementsProgress));
    goBack(0, -1, stateId("NavBackToSlide"));
}

void GSelectPlayerScene::deleteSelectedPlayer() {
    const s32 index = m_playersList ? m_playersList->getSelectedItem() : 0;
    if (index < 0 || index >= static_cast<s32>(profiles().getProfileCount())) return;
    profiles().removeProfile(index);
    saveUserProfiles();
    fillPlayersList(false);
    const u32 count = profiles().getProfileCount();
    if (count > 0) {
        if (m_playersList) {
            m_playersList->setSelectedItem(std::min(index, static_cast<s32>(count) - 1), true);
            m_playersList->refreshElements();
        }
    } else {
        enable(m_okButton, false);
    }
    enable(m_newPlayerButton, count < MaxPlayers);
    enable(m_deletePlayerButton, count > 0);
}

bool GSelectPlayerScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    BaseNode* control = eventNode(event);
    if (isNamed(control, "OkButton")) {
        choosePlayer();
    } else if (isNamed(control, "NewPlayerButton")) {
        switchToSceneFile(InputNameFile, true, stateId("NavFrom"), stateId("NavTo"));
    } else if (isNamed(control, "DeletePlayerButton")) {
        // While the screen slides in or out no question can show: the press asks nothing.
        SceneManager* manager = getSceneManager();
        if (manager && manager->isInTransition(this)) return true;
        array<stringw> captions;
        captions.push_back(stringw(L"%Yes%"));
        captions.push_back(stringw(L"%No%"));
        if (!showMessageBox(stateId(MessageBoxTemplate), captions, stringw(),
                            stringw(L"%SelectPlayer_WantDelete%")))
            CLogger::instance().logHint("Unable to show the message box", MessageBoxTemplate,
                                        LogWarning);
    } else {
        return false;
    }
    return true;
}

bool GSelectPlayerScene::onKeyUp(CEvent* event) {
    if (GBaseSceneNode::onKeyUp(event)) return true;
    const u32 key = eventKey(event);
    if (key != VirtualKeyEscape && key != VirtualKeyEnter) return false;
    choosePlayer();
    return true;
}

bool GSelectPlayerScene::onMessageBoxResult(CEvent* event) {
    if (GBaseSceneNode::onMessageBoxResult(event)) return true;
    if (static_cast<CEventNodeMessageBoxResult*>(event)->getButton() == 0) deleteSelectedPlayer();
    return true;
}

BRASQUEL_DEFINE_GAME_SCENE_CLASS(GSelectPlayerInputNameScene,
                                 GameNodeTypeSelectPlayerInputNameScene)

GSelectPlayerInputNameScene::GSelectPlayerInputNameScene(const CCreationContext& context,
                                                         BaseNode* parent, SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

void GSelectPlayerInputNameScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* scene = childOf(this, "Scene");
    BaseNode* edit = childOf(scene, "NameEdit");
    m_nameEdit = edit && edit->isKindOf(NodeTypeEdit) ? static_cast<EditNode*>(edit) : nullptr;
    m_okButton = controlChildOf(scene, "OkButton");
}

bool GSelectPlayerInputNameScene::isValidName(const stringw& name) {
    if (name.empty()) return false;
    const u32 count = profiles().getProfileCount();
    for (u32 i = 0; i < count; ++i) {
        CProfile* profile = profiles().getProfile(static_cast<s32>(i));
        if (profile && profile->getName() == name) return false;
    }
    return true;
}

bool GSelectPlayerInputNameScene::onSceneChangeStarted(CEvent* event) {
    GBaseSceneNode::onSceneChangeStarted(event);
    if (!entersThis(event, this)) return false;
    if (m_nameEdit) m_nameEdit->setText(stringw());
    enable(m_okButton, false);
    return true;
}

bool GSelectPlayerInputNameScene::onValueChanged(CEvent* event) {
    GBaseSceneNode::onValueChanged(event);
    enable(m_okButton, m_nameEdit && isValidName(m_nameEdit->getText()));
    return false;
}

void GSelectPlayerInputNameScene::createPlayer() {
    if (!m_nameEdit) return;
    if (!profiles().addProfile(m_nameEdit->getText())) return;  // the name is taken
    saveUserProfiles();
    goBack(0);
}

bool GSelectPlayerInputNameScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    BaseNode* control = eventNode(event);
    if (isNamed(control, "OkButton")) {
        createPlayer();
    } else if (isNamed(control, "CancelButton")) {
        goBack(0);
    } else {
        return false;
    }
    return true;
}

bool GSelectPlayerInputNameScene::onKeyUp(CEvent* event) {
    if (GBaseSceneNode::onKeyUp(event)) return true;
    const u32 key = eventKey(event);
    if (key == VirtualKeyEscape) {
        goBack(0);
        return true;
    }
    if (key == VirtualKeyEnter) {
        if (m_okButton && m_okButton->isEnabled()) createPlayer();
        return true;
    }
    return false;
}

}  // namespace brasquel
