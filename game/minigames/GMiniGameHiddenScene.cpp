#include "game/minigames/GMiniGameHiddenScene.h"

#include <cmath>

#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/SpawnerNode.h"
#include "engine/nodes/TextNode.h"
#include "game/config/GListTexts.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GSoundCueIds.h"
#include "game/level/GLevelPaths.h"
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
    : GMiniGameScene(context, parent, manager), m_hintPaths(makeRef<GLevelPaths>()) {
    setUpdatePeriod(GameUpdatePeriod);
}

GMiniGameHiddenScene::~GMiniGameHiddenScene() = default;

BRASQUEL_DEFINE_NODE_CLASS(GMiniGameHiddenScene, GameNodeTypeMiniGameHiddenScene, GMiniGameScene)

void GMiniGameHiddenScene::onLoaded() {
    GMiniGameScene::onLoaded();
    BaseNode* game = sceneChild("Game");
    BaseNode* background = scenes::childOf(game, "BgObjects");
    BaseNode* trail = scenes::childOf(background, "HintTrailNode");
    m_hintTrail = trail && trail->isKindOf(GameNodeTypePathMovableNode)
                      ? static_cast<GPathMovableNode*>(trail)
                      : nullptr;
    BaseNode* found = scenes::childOf(background, "FoundNode");
    m_foundNode =
        found && found->isKindOf(NodeTypeSpawner) ? static_cast<SpawnerNode*>(found) : nullptr;
    BaseNode* highlight = scenes::childOf(background, "HintHighlight");
    m_hintHighlight = highlight && highlight->isKindOf(GameNodeTypeHOHintParticlesNode)
                          ? static_cast<GHOHintParticlesNode*>(highlight)
                          : nullptr;
    m_hitObjects = scenes::childOf(game, "HitObjects");
    BaseNode* ui = sceneChild("UI");
    m_timeTarg = scenes::textChildOf(ui, "TimeTarg");
    m_timeCurr = scenes::textChildOf(ui, "TimeCurr");
    m_objCount = scenes::textChildOf(ui, "ObjCount");
}

void GMiniGameHiddenScene::copyFrom(const BaseNode* source, SceneManager* manager) {
    SceneNode::copyFrom(source, manager);
}

void GMiniGameHiddenScene::readCustomConfig(CXmlReader* reader) {
    if (reader->getNodeName() == stringw(L"HintPaths"))
        static_cast<void>(readHintPaths(reader, *m_hintPaths));
}

bool GMiniGameHiddenScene::onSceneChangeStarted(CEvent* event) {
    if (GBaseSceneNode::onSceneChangeStarted(event)) return true;
    if (!entersThis(event, this)) return false;
    beginVisit();
    scenes::playCue(GSoundCueIds::get().MiniGamesMusic, true);
    setGameTime(0);
    scenes::setText(m_timeCurr, formatMinutesSeconds(static_cast<u32>(getMaxLevelTime())));
    if (m_objCount && m_hitObjects) showCount();
    setPhase(MiniGamePhase::Intro);
    return true;
}

void GMiniGameHiddenScene::showCount() {
    if (m_objCount && m_hitObjects) m_objCount->setText(countText(m_hitObjects->getChildCount()));
}

bool GMiniGameHiddenScene::onUpdate(u32 periodMs) {
    static_cast<void>(GMiniGameScene::onUpdate(periodMs));
    addGameTime(periodMs);
    scenes::setText(m_timeTarg, formatMinutesSeconds(getGameTime()));
    if (m_hintTime > 0) {
        m_hintTime -= static_cast<s32>(periodMs);
        if (m_hintTime <= 0) switchHighlightOff();
    }
    if (m_hintTrail) m_hintTrail->update(periodMs);
    return true;
}

bool GMiniGameHiddenScene::routeToChildren(u32 mode, CEvent* event) {
    if (event && event->isKindOf(EventMouseLeftDown)) {
        auto* click = static_cast<CEventMousePosition*>(event);
        CRefPtr<BaseNode> self(this);
        if (onMouseDown(
                vector2df(static_cast<f32>(click->getX()), static_cast<f32>(click->getY()))))
            return true;
    }
    return ControlNode::routeToChildren(mode, event);
}

bool GMiniGameHiddenScene::onMouseDown(const vector2df& point) {
    switch (getPhase()) {
        case MiniGamePhase::None:
        case MiniGamePhase::Intro:
            return false;
        case MiniGamePhase::Briefing:
            setPhase(MiniGamePhase::Playing);
            return false;
        case MiniGamePhase::Playing:
            break;
    }
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
    if (m_hitObjects->getChildCount() == 0) {
        setScore(getExpertScore());
        finish();
    }
    return false;
}

bool GMiniGameHiddenScene::onNodePressed(CEvent* event) {
    if (GMiniGameScene::onNodePressed(event)) return true;
    BaseNode* node = scenes::eventNode(event);
    if (scenes::isNamed(node, "MenuButton")) {
        // Back past the loading screen to the scene the game was chosen on (the map): a count
        // of 1 goes back two scenes.
        static_cast<void>(goBack(1, transitionStates().NavBackFrom, transitionStates().NavBackTo));
        return true;
    }
    if (scenes::isNamed(node, "HintButton")) {
        giveHint();
        return true;
    }
    return false;
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
    if (!m_hintTrail || !m_hintPaths) return;
    GLevelPath* path = m_hintPaths->getRandomCarPath(m_hintedItem->getNameId());
    if (!path) return;
    const GPathMovableNode::PathPoints points = reversedPathPoints(*path, 1);
    // A path of one point has no way to walk: no trail rather than a standing one.
    if (points.size() < 2) return;
    m_hintTrail->Velocity = HintTrailVelocity;
    m_hintTrail->start(points, stateOf("HintFinished"), true, false);
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
