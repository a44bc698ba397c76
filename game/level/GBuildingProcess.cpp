#include "game/level/GBuildingProcess.h"

#include "engine/audio/CSoundGroupManager.h"
#include "engine/core/CNameTable.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/IGameServices.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelPaths.h"
#include "game/level/GPathMovableNode.h"

using namespace oskel;

namespace brasquel {

GBuildingProcess::GBuildingProcess() { addCategory(CategoryGame); }

BaseNode* GBuildingProcess::findTemplate(TemplateCollectionNode* templates, const char* name,
                                         s32 typeId) {
    if (!templates) return nullptr;
    BaseNode* found = templates->findTemplate(nameId(name));
    if (!found || (typeId != -1 && !found->isKindOf(typeId))) return nullptr;
    return found;
}

CRefPtr<BaseNode> GBuildingProcess::cloneInto(BaseNode* source, BaseNode* parent, bool visible) {
    if (!source || !parent) return nullptr;
    CRefPtr<BaseNode> made(source->clone(parent, parent->getSceneManager()));
    if (!made) return nullptr;
    made->setVisible(visible);
    made->updateAbsoluteTransform();
    made->updateAbsoluteColor();
    return made;
}

void GBuildingProcess::detach(CRefPtr<BaseNode>& node, BaseNode* parent) {
    if (!node) return;
    CRefPtr<BaseNode> keep = std::move(node);
    node = nullptr;
    if (keep->getParent() && keep->getParent() == parent) keep->setParent(nullptr);
}

void GBuildingProcess::postToLevel(GGameLevelScene* level, CEvent* event) {
    if (!level || !event) return;
    CRefPtr<BaseNode> keep(level);
    if (!level->onEvent(event)) level->routeToParent(DispatchSelfThenParents, event);
}

CSoundGroupManager* GBuildingProcess::soundGroups() {
    IGameServices* services = IGameServices::get();
    return services ? services->getSoundGroupManager() : nullptr;
}

s32 GBuildingProcess::nameId(const char* name) { return CNameId(name).getId(); }

bool GBuildingProcess::hasName(const CEvent* event, const char* name) {
    return static_cast<const CEventNodeState*>(event)->getStateId() == nameId(name);
}

bool GBuildingProcess::isUsable(const GLevelPath* path) { return path && path->Points.size() >= 2; }

CRefPtr<BaseNode> GBuildingProcess::startBus(TemplateCollectionNode* templates, BaseNode* world,
                                             const GLevelPath* path, f32 speed,
                                             GNeutralCarTraffic* traffic) {
    BaseNode* source = findTemplate(templates, "Bus", GameNodeTypePathMovableNode);
    if (!source || !isUsable(path)) return nullptr;
    CRefPtr<BaseNode> bus = cloneInto(source, world, true);
    if (!bus) return nullptr;
    auto* mover = static_cast<GPathMovableNode*>(bus.get());
    if (traffic) mover->setTrafficController(traffic, true);
    GPathMovableNode::PathPoints points;
    points.reserve(path->Points.size());
    for (const SLevelPathPoint& p : path->Points) points.emplace_back(p.x, p.y);
    mover->Velocity = speed;
    mover->start(points, nameId("MovingTo"), false, false);
    return bus;
}

CRefPtr<BaseProgressBarNode> GBuildingProcess::makeBarOver(TemplateCollectionNode* templates,
                                                           BaseNode* lot) {
    BaseNode* source = findTemplate(templates, "ProgressBarOverBuilding", NodeTypeBaseProgressBar);
    CRefPtr<BaseNode> made = cloneInto(source, lot, true);
    if (!made) return nullptr;
    CRefPtr<BaseProgressBarNode> bar(static_cast<BaseProgressBarNode*>(made.get()));
    bar->setTemplateName(bar->getTemplateName());
    bar->setVisible(true);
    bar->setMinValue(0.0f);
    bar->setMaxValue(1.0f);
    bar->setValue(0.0f);
    return bar;
}

void GBuildingProcess::dropBar(CRefPtr<BaseProgressBarNode>& bar, BaseNode* lot) {
    CRefPtr<BaseNode> node(bar.get());
    bar = nullptr;
    detach(node, lot);
}

GNeutralCarTraffic* GBuildingProcess::trafficOf(const GGameLevelScene* level) {
    return level ? level->getNeutralCarTraffic() : nullptr;
}

f32 GBuildingProcess::buildTimeFactor(const GGameLevelScene* level) {
    const GLevelConfiguration* configuration = level ? level->getLevelConfiguration() : nullptr;
    return configuration ? configuration->Factors.BuildTimeM : 1.0f;
}

}  // namespace brasquel
