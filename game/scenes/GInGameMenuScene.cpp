#include "game/scenes/GInGameMenuScene.h"

#include "engine/core/event/VirtualKeys.h"
#include "engine/scene/NodeEvents.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/IGameServices.h"

namespace brasquel {

using namespace oskel;
using namespace scenes;

BRASQUEL_DEFINE_GAME_SCENE_CLASS(GInGameMenuScene, GameNodeTypeInGameMenuScene)

GInGameMenuScene::GInGameMenuScene(const CCreationContext& context, BaseNode* parent,
                                   SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {
    setBackByKey(true);
}

bool GInGameMenuScene::onSceneChangeStarted(CEvent* event) {
    const bool base = GBaseSceneNode::onSceneChangeStarted(event);
    return base || entersThis(event, this);
}

bool GInGameMenuScene::onSceneChangeFinished(CEvent* event) {
    const bool base = GBaseSceneNode::onSceneChangeFinished(event);
    return base || entersThis(event, this);
}

bool GInGameMenuScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    BaseNode* control = eventNode(event);
    const s32 from = stateId("NavFrom");
    const s32 to = stateId("NavTo");
    if (isNamed(control, "ResumeButton")) {
        goBack(0);
    } else if (isNamed(control, "RestartButton")) {
        clearUpperLayer();
        goBack(1);
    } else if (isNamed(control, "OptionsButton")) {
        switchToSceneFile(OptionsFile, true, from, to);
    } else if (isNamed(control, "HelpButton")) {
        switchToSceneFile(HelpFile, true, from, to);
    } else if (isNamed(control, "MainMenuButton")) {
        clearUpperLayer();
        goBackToType(GameNodeTypeMainMenuScene);
    } else if (isNamed(control, "ExitGameButton")) {
        switchToSceneFile(QuitFile, true, stateId("NoTransTo"), to);
    } else {
        return false;
    }
    return true;
}

BRASQUEL_DEFINE_GAME_SCENE_CLASS(GQuitConfirmationScene, GameNodeTypeQuitConfirmationScene)

GQuitConfirmationScene::GQuitConfirmationScene(const CCreationContext& context, BaseNode* parent,
                                               SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

bool GQuitConfirmationScene::onSceneChangeStarted(CEvent* event) {
    const bool base = GBaseSceneNode::onSceneChangeStarted(event);
    return base || entersThis(event, this);
}

void GQuitConfirmationScene::stay() { goBack(0, -1, stateId("NoTransTo")); }

bool GQuitConfirmationScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    BaseNode* control = eventNode(event);
    if (isNamed(control, "NoButton")) {
        stay();
    } else if (isNamed(control, "YesButton")) {
        if (IGameServices* services = IGameServices::get()) services->closeDevice();
    } else {
        return false;
    }
    return true;
}

bool GQuitConfirmationScene::onKeyUp(CEvent* event) {
    if (GBaseSceneNode::onKeyUp(event)) return true;
    if (eventKey(event) != VirtualKeyEscape) return false;
    stay();
    return true;
}

}  // namespace brasquel
