#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/config/GProfileKeys.h"
#include "game/config/IGameServices.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GGameEvents.h"
#include "game/level/GGameLevelScene.h"
#include "game/play/GGamePlayScene.h"
#include "game/play/tutorial/GTutorialController.h"
#include "game/scenes/GSceneSupport.h"

namespace brasquel {

using namespace oskel;

GTutorialController* GGamePlayScene::getTutorialController() const {
    return dynamic_cast<GTutorialController*>(m_tutorial.get());
}

void GGamePlayScene::setUpTutorial(const stringc& folder) {
    // A level loaded again starts with a tutorial of its own.
    stopTutorial();
    IGameServices* services = IGameServices::get();
    CProfile* profile = scenes::activeProfile();
    if (!services || !profile || !m_levelScene) return;
    const bool showTutorial =
        profile->getBool(ProfileKeyShowTutorialOn) &&
        (services->developerKeysEnabled() ||
         profile->getInt(ProfileKeyShowTutorialLevel) < profile->getInt(ProfileKeyLevelIndex));
    const bool showTips = profile->getBool(ProfileKeyShowTipsOn);
    if (!showTutorial && !showTips) return;
    CFileSystem* files = services->getFileSystem();
    CXmlReader* reader = files ? files->createXmlReader(folder + stringc(TutorialFile)) : nullptr;
    if (!reader) return;

    SceneManager* menus = services->getSceneManager();
    auto controller = CRefPtr<GTutorialController>::fromRaw(new GTutorialController(
        m_internalScene, menus ? menus->getTemplateCollection() : nullptr, getContentManager()));
    // A file cut short still runs the steps read so far.
    static_cast<void>(controller->load(reader, m_levelScene.get()));
    reader->drop();
    if (!showTutorial) controller->disableTutorialSteps();
    if (!showTips) controller->disableTips();
    m_tutorial = controller;

    addPreReceiver(controller.get());
    m_levelScene->addPreReceiver(controller.get());
    if (m_actionsTabScene) m_actionsTabScene->addPreReceiver(controller.get());
    for (const CRefPtr<GBuildingNode>& building : m_levelScene->getBuildings())
        building->addPreReceiver(controller.get());
}

bool GGamePlayScene::pressSkipTutorial(s32 name) {
    static const CNameId SkipTutorialButton("SkipTutorialButton");
    if (name != SkipTutorialButton.getId()) return false;
    GTutorialController* controller = getTutorialController();
    if (!controller) return true;
    CProfile* profile = scenes::activeProfile();
    if (controller->isCurrentStepTip()) {
        controller->disableTips();
        if (profile) profile->setBool(ProfileKeyShowTipsOn, false);
    } else {
        controller->disableTutorialSteps();
        if (profile) profile->setBool(ProfileKeyShowTutorialOn, false);
    }
    // A profile that cannot be written keeps the choice for this run only.
    if (profile) static_cast<void>(profile->save());
    if (m_levelScene && m_levelScene->isPaused()) {
        CRefPtr<GGameLevelScene> level = m_levelScene;
        auto resume = makeEvent<GEventTutorialFlag>(u8(0));
        if (!level->onEvent(resume.get()))
            level->routeToParent(DispatchSelfThenParents, resume.get());
    }
    return true;
}

}  // namespace brasquel
