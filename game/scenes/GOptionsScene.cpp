#include "game/scenes/GOptionsScene.h"

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/ICursorControl.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/image/CImage.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/SliderNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/ISceneHost.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneManager.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"

namespace brasquel {

using namespace oskel;
using namespace scenes;

namespace {

SliderNode* sliderChildOf(const BaseNode* parent, const char* name) {
    BaseNode* node = childOf(parent, name);
    return node && node->isKindOf(NodeTypeSlider) ? static_cast<SliderNode*>(node) : nullptr;
}

CProfile* commonProfile() { return CProfileManager::instance().getCommonProfile(); }

void saveUserProfiles() {
    if (!CProfileManager::instance().saveUserProfiles())
        CLogger::instance().log("Unable to save the profiles", LogWarning);
}

void saveActiveProfile(CProfile* profile) {
    if (!profile->save()) CLogger::instance().log("Unable to save the profiles", LogWarning);
}

void applySound() {
    if (IGameServices* services = IGameServices::get()) services->applySoundSettings();
}

}  // namespace

BRASQUEL_DEFINE_GAME_SCENE_CLASS(GOptionsScene, GameNodeTypeOptionsScene)

GOptionsScene::GOptionsScene(const CCreationContext& context, BaseNode* parent,
                             SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

void GOptionsScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* scene = childOf(this, "Scene");
    m_soundSlider = sliderChildOf(scene, "SoundSlider");
    m_musicSlider = sliderChildOf(scene, "MusicSlider");
    m_muteSoundButton = buttonChildOf(scene, "MuteSoundButton");
    m_muteMusicButton = buttonChildOf(scene, "MuteMusicButton");
    m_fullscreenButton = buttonChildOf(scene, "FullscreenButton");
    m_cursorButton = buttonChildOf(scene, "CursorButton");
}

bool GOptionsScene::isOn(const ButtonNode* button) {
    return button && button->getTemplateName() == stateId(OnTemplate);
}

void GOptionsScene::setToggleState(ButtonNode* button, bool on) {
    if (!button) return;
    button->setTemplateName(stateId(on ? OnTemplate : OffTemplate));
    button->setText(stringw(on ? OnCaption : OffCaption));
}

void GOptionsScene::showSettings() {
    if (CProfile* common = commonProfile()) {
        setToggleState(m_fullscreenButton, common->getBool(ProfileKeyFullScreen));
        setToggleState(m_cursorButton, common->getBool(ProfileKeyWindowsCursor));
    }
    CProfile* player = activeProfile();
    if (!player) return;
    if (m_soundSlider) m_soundSlider->setValue(player->getFloat(ProfileKeySoundVolume));
    if (m_musicSlider) m_musicSlider->setValue(player->getFloat(ProfileKeyMusicVolume));
    setToggleState(m_muteSoundButton, player->getBool(ProfileKeySoundOn));
    setToggleState(m_muteMusicButton, player->getBool(ProfileKeyMusicOn));
}

bool GOptionsScene::onSceneChangeStarted(CEvent* event) {
    GBaseSceneNode::onSceneChangeStarted(event);
    if (!entersThis(event, this)) return false;
    showSettings();
    return true;
}

bool GOptionsScene::onValueChanged(CEvent* event) {
    if (GBaseSceneNode::onValueChanged(event)) return false;
    BaseNode* sender = eventNode(event);
    CProfile* player = activeProfile();
    if (!sender || !player) return false;  // no player: nothing to keep the volumes in
    if (sender == m_soundSlider) {
        player->setFloat(ProfileKeySoundVolume, m_soundSlider->getValue());
        saveActiveProfile(player);
        applySound();
        playCue(GSoundCueIds::get().SoundVolumeChange, true);
    } else if (sender == m_musicSlider) {
        player->setFloat(ProfileKeyMusicVolume, m_musicSlider->getValue());
        saveActiveProfile(player);
        applySound();
    }
    return false;
}

void GOptionsScene::toggleSound() {
    const bool on = !isOn(m_muteSoundButton);
    setToggleState(m_muteSoundButton, on);
    CProfile* player = activeProfile();
    if (!player) return;
    player->setBool(ProfileKeySoundOn, on);
    saveActiveProfile(player);
    applySound();
    if (on) playCue(GSoundCueIds::get().ButtonClick);
}

void GOptionsScene::toggleMusic() {
    const bool on = !isOn(m_muteMusicButton);
    setToggleState(m_muteMusicButton, on);
    CProfile* player = activeProfile();
    if (!player) return;
    player->setBool(ProfileKeyMusicOn, on);
    saveActiveProfile(player);
    applySound();
}

void GOptionsScene::toggleFullscreen() {
    const bool before = isOn(m_fullscreenButton);
    const bool on = !before;
    IGameServices* services = IGameServices::get();
    if (!services) return;
    const SDeviceParameters previous = services->getDeviceParameters();
    SDeviceParameters wanted = previous;
    wanted.fullscreen = on;
    if (!services->resetDevice(wanted)) {
        // The display stays as it was: the old drivers come back and nothing is stored, so
        // that the next start does not ask for what failed.
        CLogger::instance().logHint("Unable to reset the device", on ? "full screen" : "window",
                                    LogError);
        if (!services->resetDevice(previous))
            CLogger::instance().log("Unable to restore the device", LogError);
        setToggleState(m_fullscreenButton, before);
        return;
    }
    setToggleState(m_fullscreenButton, on);
    CProfile* common = commonProfile();
    if (!common) return;
    common->setBool(ProfileKeyFullScreen, on);
    saveUserProfiles();
    if (!on) applyCursor(common->getBool(ProfileKeyWindowsCursor));
}

void GOptionsScene::toggleCursor() {
    const bool on = !isOn(m_cursorButton);
    setToggleState(m_cursorButton, on);
    applyCursor(on);
    CProfile* common = commonProfile();
    if (!common) return;
    common->setBool(ProfileKeyWindowsCursor, on);
    saveUserProfiles();
}

void GOptionsScene::applyCursor(bool systemCursor) {
    SceneManager* manager = getSceneManager();
    ISceneHost* host = manager ? manager->getHost() : nullptr;
    ICursorControl* cursor = host ? host->getCursorControl() : nullptr;
    if (!cursor) return;
    if (systemCursor) {
        cursor->setCursorImage(nullptr, 0, 0);
        return;
    }
    IContentManager* content = getCreationContext().getOwner();
    CResource* image =
        content ? content->getContentByPath(TypeCodeImage, CursorImageFile, true) : nullptr;
    if (!image) return;
    if (image->getTypeCode() == TypeCodeImage)
        cursor->setCursorImage(static_cast<CImage*>(image), 2, 2);
    image->drop();
}

void GOptionsScene::leave() {
    SceneNode* below = getPreviousScene();
    if (below && below->isKindOf(GameNodeTypeMainMenuScene))
        goBack(0, stateId("NavBackFromSlide"), stateId("NavBackToSlide"));
    else
        goBack(0);
}

bool GOptionsScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    BaseNode* control = eventNode(event);
    if (isNamed(control, "BackButton")) {
        leave();
        return true;
    }
    if (!control) return false;
    if (control == m_muteSoundButton)
        toggleSound();
    else if (control == m_muteMusicButton)
        toggleMusic();
    else if (control == m_fullscreenButton)
        toggleFullscreen();
    else if (control == m_cursorButton)
        toggleCursor();
    return false;
}

bool GOptionsScene::onKeyUp(CEvent* event) {
    if (GBaseSceneNode::onKeyUp(event)) return true;
    const u32 key = eventKey(event);
    if (key != VirtualKeyEscape && key != VirtualKeyEnter) return false;
    leave();
    return true;
}

}  // namespace brasquel
