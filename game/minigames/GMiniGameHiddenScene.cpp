#include "game/minigames/GMiniGameHiddenScene.h"

#include <cmath>

#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/nodes/TextNode.h"
#include "game/config/GListTexts.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GSoundCueIds.h"
#include "game/scenes/GSceneSupport.h"
#include "game/world/GHOHintParticlesNode.h"

namespace brasquel {

using namespace oskel;

namespace {

s32 stateOf(const char* name) { return CNameId(name).getId(); }

stringw countText(u32 count) { return widenLatin1(decimalText(static_cast<s32>(count))); }

}  // namespace

GMiniGameHiddenScene::GMiniGameHiddenScene(const CCreationContext& context, BaseNode* parent,
                                           SceneManager* manager)
    : GHiddenObjectScene(context, parent, manager) {}

GMiniGameHiddenScene::~GMiniGameHiddenScene() = default;

BRASQUEL_DEFINE_NODE_CLASS(GMiniGameHiddenScene, GameNodeTypeMiniGameHiddenScene, GMiniGameScene)

void GMiniGameHiddenScene::onLoaded() {
    GHiddenObjectScene::onLoaded();
    BaseNode* game = sceneChild("Game");
    BaseNode* highlight = scenes::childOf(scenes::childOf(game, "BgObjects"), "HintHighlight");
    m_hintHighlight = highlight && highlight->isKindOf(GameNodeTypeHOHintParticlesNode)
                          ? static_cast<GHOHintParticlesNode*>(highlight)
                          : nullptr;
    m_hitObjects = scenes::childOf(game, "HitObjects");
}

void GMiniGameHiddenScene::startVisit() {
    GHiddenObjectScene::startVisit();
    if (m_objCount && m_hitObjects) showCount();
}

void GMiniGameHiddenScene::showCount() {
    if (m_objCount && m_hitObjects) m_objCount->setText(countText(m_hitObjects->getChildCount()));
}

bool GMiniGameHiddenScene::onUpdate(u32 periodMs) {
    static_cast<void>(GHiddenObjectScene::onUpdate(periodMs));
    if (m_hintTime > 0) {
        m_hintTime -= static_cast<s32>(periodMs);
        if (m_hintTime <= 0) switchHighlightOff();
    }
    if (m_hintTrail) m_hintTrail->update(periodMs);
    return true;
}

bool GMiniGameHiddenScene::onMouseDown(const vector2df& point) {
    if (!takesPlayClick()) return false;
    if (!m_hitObjects || isFinished()) return false;

    BaseNode* item = nullptr;
    for (BaseNode* child : m_hitObjects->getChildren())
        if (child->findNodeAt(point)) {
            item = child;
            break;
        }
    if (item) {
        CRefPtr<BaseNode> keep(item);
        if (item == m_hintedItem) {
            m_hintedItem = nullptr;
            m_hintTime = -1;
            switchHighlightOff();
            if (m_hintTrail) m_hintTrail->stop();
        }
        playFoundEffect(item, m_foundNode);
        static_cast<void>(m_hitObjects->removeChild(item));
        showCount();
        scenes::playCue(GSoundCueIds::get().ObjFound);
    }
    if (m_hitObjects->getChildCount() == 0) finishWithExpertScore();
    return false;
}

bool GMiniGameHiddenScene::onNodePressed(CEvent* event) {
    if (GMiniGameScene::onNodePressed(event)) return true;
    if (!scenes::isNamed(scenes::eventNode(event), "HintButton")) return false;
    giveHint();
    return true;
}

void GMiniGameHiddenScene::giveHint() {
    scenes::playCue(GSoundCueIds::get().HOHint);
    if (!m_hitObjects || m_hitObjects->getChildCount() == 0) return;
    if (!m_hintedItem) {
        const u32 count = m_hitObjects->getChildCount();
        m_hintedItem = m_hitObjects->getChildren()[CRandom::instance().next() % count];
    }
    if (m_hintTime > 0) return;
    m_hintTime = HintPauseMs;
    lightHintedItem();
    const GPathMovableNode::PathPoints points = hintTrailPoints(m_hintedItem, 1);
    if (!points.empty()) sendHintTrail(points, HintTrailVelocity);
}

void GMiniGameHiddenScene::lightHintedItem() {
    if (!m_hintHighlight || !m_hintedItem) return;
    const vector3df& bounds = m_hintedItem->getBounds();
    const vector3df& p = m_hintedItem->getPosition();
    const f32 w = bounds.X;
    const f32 h = bounds.Y;
    m_hintHighlight->setPosition(vector3df(p.X + w * 0.5f, p.Y + h * 0.5f, p.Z + bounds.Z * 0.5f));
    m_hintHighlight->markTransformDirty();
    m_hintHighlight->EmitRadiusXRange = vector2df(w * 0.5f, w * 0.5f);
    m_hintHighlight->EmitRadiusYRange = vector2df(h * 0.5f, h * 0.5f);
    m_hintHighlight->PPS = static_cast<s32>(std::sqrt(std::trunc(w * h)));
    m_hintHighlight->clearParticles();
    m_hintHighlight->playState(stateOf("HintOn"));
}

void GMiniGameHiddenScene::switchHighlightOff() {
    if (m_hintHighlight) m_hintHighlight->playState(stateOf("HintOff"));
}

}  // namespace brasquel
