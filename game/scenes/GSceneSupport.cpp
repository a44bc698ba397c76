#include "game/scenes/GSceneSupport.h"

#include "engine/audio/CSoundGroupManager.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CTextDictionary.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/ControlNode.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneManager.h"
#include "game/config/GProfileKeys.h"
#include "game/config/IGameServices.h"
#include "game/scenes/ITutorial.h"

namespace brasquel::scenes {

using namespace oskel;

s32 stateId(const char* name) { return CNameId(name).getId(); }

BaseNode* childOf(const BaseNode* parent, const char* name) {
    return parent ? parent->findChildByName(name, 1) : nullptr;
}

TextNode* textChildOf(const BaseNode* parent, const char* name) {
    BaseNode* node = childOf(parent, name);
    return node && node->isKindOf(NodeTypeText) ? static_cast<TextNode*>(node) : nullptr;
}

ButtonNode* buttonChildOf(const BaseNode* parent, const char* name) {
    return asButtonNode(childOf(parent, name));
}

ControlNode* controlChildOf(const BaseNode* parent, const char* name) {
    BaseNode* node = childOf(parent, name);
    return node && node->isKindOf(NodeTypeControl) ? static_cast<ControlNode*>(node) : nullptr;
}

BaseNode* eventNode(CEvent* event) { return static_cast<CEventNodeOneNode*>(event)->getNode(); }

BaseNode* noticeNode(CEvent* event) {
    auto* e = static_cast<CEventNodeTwoNodes*>(event);
    return e->getFirstNode() ? e->getFirstNode() : e->getSecondNode();
}

u32 eventKey(CEvent* event) { return static_cast<CEventKeyboardKey*>(event)->getKey(); }

bool isNamed(const BaseNode* node, const char* name) { return node && node->getNodeName() == name; }

bool isForwardSwitch(const CEvent* event) {
    return static_cast<const CEventNodeSceneSwitch*>(event)->isForward();
}

stringw dictionaryText(const char* key, const stringw& parameter) {
    IGameServices* services = IGameServices::get();
    CTextDictionary* dictionary = services ? services->getTextDictionary() : nullptr;
    if (!dictionary) return stringw(key);
    return dictionary->getTextWithParams(stringc(key), parameter, stringw(), stringw(), stringw());
}

stringw dashedText(const char* key, const stringw& parameter) {
    return stringw(L"- ") + dictionaryText(key, parameter);
}

void setText(TextNode* node, const stringw& text) {
    if (node) node->setText(text);
}

CSoundGroupManager* soundGroups() {
    IGameServices* services = IGameServices::get();
    return services ? services->getSoundGroupManager() : nullptr;
}

void playCue(const CNameId& cue, bool once) {
    if (CSoundGroupManager* groups = soundGroups()) groups->playCue(cue, once, 0);
}

CProfile* activeProfile() { return CProfileManager::instance().getActiveProfile(); }

stringw activePlayerName() {
    CProfile* profile = activeProfile();
    return profile ? profile->getName() : stringw();
}

void clearUpperLayer() {
    IGameServices* services = IGameServices::get();
    if (!services) return;
    SceneManager* layer = services->getWorldSceneManager();
    if (!layer) return;
    layer->setScene(nullptr);
    if (CTimerScheduler* clock = services->getWorldScheduler()) clock->setEnabled(true);
}

CRefPtr<ITutorial> openTutorial(SceneNode* scene, BaseNode* host, const char* file) {
    IGameServices* services = IGameServices::get();
    CFileSystem* files = services ? services->getFileSystem() : nullptr;
    if (!scene || !host || !file || !files) return nullptr;
    CXmlReader* reader = files->createXmlReader(stringc(file));
    if (!reader) return nullptr;
    SceneManager* manager = scene->getSceneManager();
    CRefPtr<ITutorial> tutorial = CRefPtr<ITutorial>::fromRaw(
        services->createTutorial(host, manager ? manager->getTemplateCollection() : nullptr,
                                 scene->getContentManager(), true));
    if (tutorial && !tutorial->load(reader, nullptr)) tutorial = nullptr;
    reader->drop();
    if (tutorial) scene->addPreReceiver(tutorial.get());
    return tutorial;
}

void closeTutorial(SceneNode* scene, CRefPtr<ITutorial>& tutorial) {
    if (!tutorial) return;
    CRefPtr<ITutorial> held = tutorial;
    tutorial = nullptr;
    if (scene) scene->removePreReceiver(held.get());
    held->stop();
}

void skipTutorial(ITutorial* tutorial) {
    if (!tutorial) return;
    tutorial->stop();
    if (CProfile* profile = activeProfile()) profile->setBool(ProfileKeyShowTutorialOn, false);
}

}  // namespace brasquel::scenes
