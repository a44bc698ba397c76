#include "game/scenes/GLogosScene.h"

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CTextDictionary.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/GLogosConfiguration.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/IGameServices.h"

namespace brasquel {

using namespace oskel;

namespace {

SpriteNode* spriteChild(const BaseNode* parent, const char* name) {
    BaseNode* node = parent ? parent->findChildByName(name, 1) : nullptr;
    return node && node->isKindOf(NodeTypeSprite) ? static_cast<SpriteNode*>(node) : nullptr;
}

s32 stateId(const char* name) { return CNameId(name).getId(); }

}  // namespace

GLogosScene::GLogosScene(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

BaseNode* GLogosScene::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GLogosScene>(this, parent, manager);
}

const stringw& GLogosScene::getClassName() const {
    static const stringw name(L"GLogosScene");
    return name;
}

const stringw& GLogosScene::getThisClassName() const {
    static const stringw name(L"GLogosScene");
    return name;
}

s32 GLogosScene::getTypeId() const { return GameNodeTypeLogosScene; }

bool GLogosScene::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypeLogosScene || GBaseSceneNode::isKindOf(typeId);
}

void GLogosScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* body = findChildByName("Scene", 1);
    m_previousLogo = spriteChild(body, "Logo1");
    m_currentLogo = spriteChild(body, "Logo2");
}

bool GLogosScene::onSceneChangeStarted(CEvent* event) {
    GBaseSceneNode::onSceneChangeStarted(event);
    if (!entersThis(event, this)) return false;
    IGameServices* services = IGameServices::get();
    CTextDictionary* dictionary = services ? services->getTextDictionary() : nullptr;
    stringw caption;
    if (dictionary) {
        if (!dictionary->load(stringc(DictionaryFile)))
            CLogger::instance().logHint("Dictionary not loaded", DictionaryFile, LogWarning);
        caption = dictionary->getText(TitleKey);
    }
    if (caption.empty()) caption = DefaultTitle;
    if (services) services->setWindowCaption(caption);
    return true;
}

bool GLogosScene::onSceneChangeFinished(CEvent* event) {
    GBaseSceneNode::onSceneChangeFinished(event);
    if (!entersThis(event, this)) return false;
    showNextLogo();
    return true;
}

bool GLogosScene::logosLeft() const {
    IGameServices* services = IGameServices::get();
    GLogosConfiguration* logos = services ? services->getLogosConfiguration() : nullptr;
    return logos && !logos->getLogos().empty();
}

void GLogosScene::showNextLogo() {
    IGameServices* services = IGameServices::get();
    GLogosConfiguration* logos = services ? services->getLogosConfiguration() : nullptr;
    const s32 swap = stateId("Swap");
    GLogoEntry logo;
    if (logos && logos->takeFirstLogo(logo)) {
        IContentManager* content = getContentManager();
        CResource* loaded = content && !logo.Image.empty()
                                ? content->getContentByPath(TypeCodeAtlasTexture, logo.Image, true)
                                : nullptr;
        auto* image = dynamic_cast<CAtlasTexture*>(loaded);
        if (!image)
            CLogger::instance().logHint("Logo image not loaded", logo.Image.c_str(), LogWarning);
        m_remainingTime = logo.Time;
        m_skippable = logo.Skippable;
        if (m_currentLogo) {
            const bool first = m_currentLogo->getAtlasTexture() == nullptr;
            if (m_previousLogo) {
                m_previousLogo->playState(swap);
                m_previousLogo->setAtlasTexture(m_currentLogo->getAtlasTexture());
            }
            m_currentLogo->playState(first ? stateId("Swap0") : swap);
            m_currentLogo->setAtlasTexture(image);
        }
        if (loaded) loaded->drop();
        return;
    }
    // No logo left: the last one fades out.
    if (m_currentLogo) {
        if (m_previousLogo) {
            m_previousLogo->playState(swap);
            m_previousLogo->setAtlasTexture(m_currentLogo->getAtlasTexture());
        }
        m_currentLogo->setAtlasTexture(nullptr);
    }
    m_finished = true;
    m_remainingTime = FadeOutTime;
}

bool GLogosScene::onUpdate(u32 periodMs) {
    GBaseSceneNode::onUpdate(periodMs);
    m_remainingTime -= static_cast<s32>(periodMs);
    if (m_remainingTime >= 0) return true;
    if (logosLeft() || !m_finished) {
        showNextLogo();
        return true;
    }
    // A preloader that cannot be loaded is tried again at the next update (logged once): the
    // player is never left on an empty screen without a word in the log.
    if (switchToSceneFile(NextSceneFile, false, transitionStates().NavFrom,
                          transitionStates().NavTo, m_switchFailureLogged))
        return false;
    m_switchFailureLogged = true;
    return true;
}

bool GLogosScene::routeToChildren(u32 mode, CEvent* event) {
    if (event && event->isKindOf(EventMouseLeftDown)) {
        skipLogo(event);
        return true;
    }
    return GBaseSceneNode::routeToChildren(mode, event);
}

bool GLogosScene::skipLogo(CEvent*) {
    if (m_skippable) {
        m_remainingTime = 0;
        m_skippable = false;
    }
    return true;
}

}  // namespace brasquel
