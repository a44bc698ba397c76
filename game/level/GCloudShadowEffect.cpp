#include "game/level/GCloudShadowEffect.h"

#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GPathMovableNode.h"

using namespace oskel;

namespace brasquel {

namespace {

// Where the clouds come in: above the top edge or right of the right edge.
constexpr f32 TopEdgeY = -50.0f;
constexpr f32 RightEdgeX = 1074.0f;
constexpr f32 ScreenWidth = 1024.0f;
constexpr f32 RightEdgeRange = 550.0f;
constexpr u32 CloudTemplates = 3;
const char* const CloudNames[CloudTemplates] = {"Cloud1", "Cloud2", "Cloud3"};

}  // namespace

OSKEL_BEGIN_EVENT_MAP(GCloudShadowEffect, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodeChildStateFinished, onChildStateFinished)
OSKEL_END_EVENT_MAP()

GCloudShadowEffect::GCloudShadowEffect(BaseNode* world, TemplateCollectionNode* templates)
    : m_world(world), m_templates(templates) {
    addCategory(CategoryNode);
    if (m_world) m_world->addPostReceiver(this);
    for (s32 i = 0; i < FirstClouds; ++i) spawnCloud();
}

GCloudShadowEffect::~GCloudShadowEffect() {
    if (m_world) m_world->removePostReceiver(this);
    for (CRefPtr<BaseNode>& cloud : m_clouds) detach(cloud, m_world.get());
}

void GCloudShadowEffect::spawnCloud() {
    if (!m_templates || !m_world) return;
    CRandom& random = CRandom::instance();
    BaseNode* source = findTemplate(m_templates.get(), CloudNames[random.next() % CloudTemplates],
                                    GameNodeTypePathMovableNode);
    if (!source) return;
    vector2df start;
    if ((random.next() & 1u) == 0)
        start = vector2df(random.nextFloatRange(0.0f, ScreenWidth), TopEdgeY);
    else
        start = vector2df(RightEdgeX, random.nextFloatRange(0.0f, RightEdgeRange));
    vector2df offset(PathLength, 0.0f);
    rotateVectorByDegrees(offset, PathAngle);
    const f32 speed = static_cast<f32>(random.next() % SpeedRange + MinimumSpeed);
    CRefPtr<BaseNode> cloud = cloneInto(source, m_world.get(), true);
    if (!cloud) return;
    m_clouds.push_back(cloud);
    auto* mover = static_cast<GPathMovableNode*>(cloud.get());
    mover->Velocity = speed;
    mover->start({start, start + offset}, nameId("MovingTo"), false, false);
}

bool GCloudShadowEffect::update(u32 elapsedMs) {
    if (!m_templates) return false;
    CRefPtr<GCloudShadowEffect> self(this);
    const std::vector<CRefPtr<BaseNode>> clouds = m_clouds;
    for (const CRefPtr<BaseNode>& cloud : clouds)
        if (cloud->getParent() == m_world.get())
            static_cast<GPathMovableNode*>(cloud.get())->update(elapsedMs);
    if (static_cast<s32>(elapsedMs) < m_spawnTimer) {
        m_spawnTimer -= static_cast<s32>(elapsedMs);
    } else {
        m_spawnTimer += SpawnPeriodMs;
        spawnCloud();
    }
    return true;
}

bool GCloudShadowEffect::onChildStateFinished(CEvent* event) {
    auto* notice = static_cast<CEventNodeChildStateFinished*>(event);
    if (!hasName(event, "MovingTo")) return false;
    for (auto it = m_clouds.begin(); it != m_clouds.end(); ++it) {
        if (it->get() != notice->getNode()) continue;
        CRefPtr<BaseNode> cloud = *it;
        m_clouds.erase(it);
        detach(cloud, m_world.get());
        break;
    }
    return false;
}

}  // namespace brasquel
