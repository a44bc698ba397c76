#include "game/scenes/GHelpScene.h"

#include "engine/content/IContentManager.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/NodeEvents.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/render2d/CFont.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/IGameServices.h"

namespace brasquel {

using namespace oskel;
using namespace scenes;

BRASQUEL_DEFINE_GAME_SCENE_CLASS(GHelpScene, GameNodeTypeHelpScene)

GHelpScene::GHelpScene(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {
    setBackByKey(true);
}

void GHelpScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    BaseNode* scene = childOf(this, "Scene");
    BaseNode* tabs = childOf(scene, "TabScene");
    m_tabScene =
        tabs && tabs->isKindOf(NodeTypeTabScene) ? static_cast<TabSceneNode*>(tabs) : nullptr;
    m_prevButton = buttonChildOf(scene, "BackButton");
    m_nextButton = buttonChildOf(scene, "NextButton");
}

bool GHelpScene::onSceneChangeStarted(CEvent* event) {
    GBaseSceneNode::onSceneChangeStarted(event);
    if (!entersThis(event, this)) return false;
    if (m_prevButton) m_prevButton->setEnabled(false);
    return true;
}

bool GHelpScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    BaseNode* control = eventNode(event);
    if (isNamed(control, "CloseButton")) {
        goBack(0);
        return true;
    }
    if (!m_tabScene || !control) return false;
    const bool prev = control == m_prevButton;
    const bool next = control == m_nextButton;
    if (!prev && !next) return false;
    const s32 active = m_tabScene->getActiveTabIndex();
    const s32 count = m_tabScene->getTabsCount();
    if (prev && active > 0) m_tabScene->selectTab(active - 1, false);
    if (next && active + 1 < count) m_tabScene->selectTab(active + 1, false);
    const s32 now = m_tabScene->getActiveTabIndex();
    if (m_prevButton) m_prevButton->setEnabled(now > 0);
    if (m_nextButton) m_nextButton->setEnabled(now + 1 < count);
    return false;
}

BRASQUEL_DEFINE_GAME_SCENE_CLASS(GCreditsScene, GameNodeTypeCreditsScene)

GCreditsScene::GCreditsScene(const CCreationContext& context, BaseNode* parent,
                             SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

void GCreditsScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    static_cast<void>(childOf(this, "Scene"));  // nothing of it is kept
}

bool GCreditsScene::onSceneChangeStarted(CEvent* event) {
    const bool base = GBaseSceneNode::onSceneChangeStarted(event);
    return base || entersThis(event, this);
}

void GCreditsScene::leave() { goBack(0, -1, stateId("NavBackToSlide")); }

bool GCreditsScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    if (!isNamed(eventNode(event), "BackButton")) return false;
    leave();
    return true;
}

bool GCreditsScene::onKeyUp(CEvent* event) {
    if (GBaseSceneNode::onKeyUp(event)) return true;
    const u32 key = eventKey(event);
    if (key != VirtualKeyEscape && key != VirtualKeyEnter) return false;
    leave();
    return true;
}

BRASQUEL_DEFINE_GAME_SCENE_CLASS(GDebugStatsScene, GameNodeTypeDebugStatsScene)

GDebugStatsScene::GDebugStatsScene(const CCreationContext& context, BaseNode* parent,
                                   SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {
    setUpdatePeriod(0);  // every update of the scheduler
}

GDebugStatsScene::~GDebugStatsScene() = default;

bool GDebugStatsScene::onSceneChangeStarted(CEvent* event) {
    GBaseSceneNode::onSceneChangeStarted(event);
    if (!entersThis(event, this)) return false;
    if (m_statsText) {
        removeChild(m_statsText.get());
        m_statsText = nullptr;
    }
    BaseNode* made = CNodeFactory::instance().createNode(L"TextNode", CCreationContext());
    if (made && !made->isKindOf(NodeTypeText)) {
        made->drop();
        made = nullptr;
    }
    if (!made) return true;
    m_statsText = CRefPtr<TextNode>::fromRaw(static_cast<TextNode*>(made));
    addChild(m_statsText.get());
    m_statsText->setPivotPoint(vector2df(0.0f, 0.0f));
    m_statsText->setPosition(vector3df(0.0f, 0.0f, 0.0f));
    m_statsText->setText(stringw(L"0"));
    if (IContentManager* content = getCreationContext().getOwner()) {
        if (CResource* font = content->getContentByPath(TypeCodeFont, FontFile, true)) {
            if (font->getTypeCode() == TypeCodeFont)
                m_statsText->setFont(static_cast<CFont*>(font));
            font->drop();
        }
    }
    return true;
}

bool GDebugStatsScene::onUpdate(u32 periodMs) {
    GBaseSceneNode::onUpdate(periodMs);
    IGameServices* services = IGameServices::get();
    IVideoDriver* driver = services ? services->getVideoDriver() : nullptr;
    if (!m_statsText || !driver) return true;
    // One buffer for the whole run.
    static stringw text;
    text = stringw(L"fps: ");
    text += stringw(std::to_wstring(driver->getFPS()).c_str());
    text += stringw(L"\nms:");
    text += stringw(std::to_wstring(services->getLastStep()).c_str());
    text += stringw(L"\n");
    text += stringw(std::to_wstring(driver->getPrimitiveCountDrawn(0) / 2).c_str());
    m_statsText->setText(text);
    return true;
}

}  // namespace brasquel
