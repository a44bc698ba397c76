#include "game/minigames/GHiddenObjectScene.h"

#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/SpawnerNode.h"
#include "engine/nodes/TextNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GLevelPaths.h"
#include "game/scenes/GSceneSupport.h"

namespace brasquel {

using namespace oskel;

GHiddenObjectScene::GHiddenObjectScene(const CCreationContext& context, BaseNode* parent,
                                       SceneManager* manager)
    : GMiniGameScene(context, parent, manager), m_hintPaths(makeRef<GLevelPaths>()) {
    setUpdatePeriod(GameUpdatePeriod);
}

GHiddenObjectScene::~GHiddenObjectScene() = default;

void GHiddenObjectScene::onLoaded() {
    GMiniGameScene::onLoaded();
    BaseNode* background = scenes::childOf(sceneChild("Game"), "BgObjects");
    BaseNode* trail = scenes::childOf(background, "HintTrailNode");
    m_hintTrail = trail && trail->isKindOf(GameNodeTypePathMovableNode)
                      ? static_cast<GPathMovableNode*>(trail)
                      : nullptr;
    BaseNode* found = scenes::childOf(background, "FoundNode");
    m_foundNode =
        found && found->isKindOf(NodeTypeSpawner) ? static_cast<SpawnerNode*>(found) : nullptr;
    BaseNode* ui = sceneChild("UI");
    m_timeTarg = scenes::textChildOf(ui, "TimeTarg");
    m_timeCurr = scenes::textChildOf(ui, "TimeCurr");
    m_objCount = scenes::textChildOf(ui, "ObjCount");
}

void GHiddenObjectScene::readCustomConfig(CXmlReader* reader) {
    if (reader->getNodeName() == stringw(L"HintPaths"))
        static_cast<void>(readHintPaths(reader, *m_hintPaths));
}

void GHiddenObjectScene::startVisit() {
    scenes::setText(m_timeCurr, formatMinutesSeconds(static_cast<u32>(getMaxLevelTime())));
}

bool GHiddenObjectScene::onUpdate(u32 periodMs) {
    static_cast<void>(GMiniGameScene::onUpdate(periodMs));
    addGameTime(periodMs);
    scenes::setText(m_timeTarg, formatMinutesSeconds(getGameTime()));
    return true;
}

bool GHiddenObjectScene::routeToChildren(u32 mode, CEvent* event) {
    if (event && (event->isKindOf(EventMouseLeftDown) || event->isKindOf(EventMouseMove))) {
        auto* mouse = static_cast<CEventMousePosition*>(event);
        const vector2df point(static_cast<f32>(mouse->getX()), static_cast<f32>(mouse->getY()));
        CRefPtr<BaseNode> self(this);
        const bool consumed =
            event->isKindOf(EventMouseLeftDown) ? onMouseDown(point) : onMouseMove(point);
        if (consumed) return true;
    }
    return ControlNode::routeToChildren(mode, event);
}

bool GHiddenObjectScene::onMouseMove(const vector2df&) { return false; }

GPathMovableNode::PathPoints GHiddenObjectScene::hintTrailPoints(const BaseNode* item,
                                                                 u32 repeats) const {
    if (!item || !m_hintTrail || !m_hintPaths) return {};
    GLevelPath* path = m_hintPaths->getRandomCarPath(item->getNameId());
    if (!path || path->Points.size() < 2) return {};
    return reversedPathPoints(*path, repeats);
}

void GHiddenObjectScene::sendHintTrail(const GPathMovableNode::PathPoints& points, f32 velocity) {
    m_hintTrail->Velocity = velocity;
    m_hintTrail->start(points, CNameId("HintFinished").getId(), true, false);
}

}  // namespace brasquel
