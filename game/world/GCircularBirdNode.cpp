#include "game/world/GCircularBirdNode.h"

#include <cmath>

#include "engine/core/CRandom.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/scene/animation/Animator.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GPathMovableNode.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr f32 DegreesToRadians = 0.017453292f;
const vector2df FullCircle(0.0f, 360.0f);

s32 flapStateOf(s32 direction) {
    stringc name = CNameTable::instance().getName(direction);
    name += "_Flap";
    return CNameId(name.c_str()).getId();
}

}  // namespace

GCircularBirdNode::GCircularBirdNode(const CCreationContext& context, BaseNode* parent,
                                     SceneManager* manager)
    : GEffectNode(context, parent, manager) {}

GCircularBirdNode::~GCircularBirdNode() = default;

void GCircularBirdNode::setTemplateProperty(IPropertyTableSource* o,
                                            const CRefPtr<IPropertyData>& v) {
    const stringc text = getPropertyString(v.get());
    static_cast<GCircularBirdNode*>(o)->setBirdTemplate(text.empty() ? -1 : CNameId(text).getId());
}

CRefPtr<IPropertyData> GCircularBirdNode::getTemplateProperty(const IPropertyTableSource* o) {
    const s32 id = static_cast<const GCircularBirdNode*>(o)->m_templateId;
    return makePropertyDataFromNameId(CNameId::fromId(id));
}

const CPropertyTable& GCircularBirdNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        t.push_back({"BirdTemplateID", &GCircularBirdNode::setTemplateProperty,
                     &GCircularBirdNode::getTemplateProperty});
        TPropertyTableBuilder<GCircularBirdNode>(t)
            .field<&GCircularBirdNode::Ellipse1Size>("Ellipse1Size")
            .field<&GCircularBirdNode::Ellipse2Size>("Ellipse2Size")
            .field<&GCircularBirdNode::AngularVelocity1>("AngularVelocity1")
            .field<&GCircularBirdNode::AngularVelocity2>("AngularVelocity2");
        return t;
    }();
    return table;
}

BRASQUEL_DEFINE_NODE_CLASS(GCircularBirdNode, GameNodeTypeCircularBirdNode, GEffectNode)

void GCircularBirdNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || source == this || !source->isKindOf(GameNodeTypeCircularBirdNode)) return;
    const auto* other = static_cast<const GCircularBirdNode*>(source);
    Ellipse1Size = other->Ellipse1Size;
    Ellipse2Size = other->Ellipse2Size;
    AngularVelocity1 = other->AngularVelocity1;
    AngularVelocity2 = other->AngularVelocity2;
    setBirdTemplate(other->m_templateId);
}

void GCircularBirdNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (m_templateId != -1)
        set->addString("BirdTemplateID", CNameTable::instance().getName(m_templateId));
    saveRange(set, "Ellipse1Size", Ellipse1Size);
    saveRange(set, "Ellipse2Size", Ellipse2Size);
    if (AngularVelocity1 != 0.0f) set->addFloat("AngularVelocity1", AngularVelocity1);
    if (AngularVelocity2 != 0.0f) set->addFloat("AngularVelocity2", AngularVelocity2);
}

void GCircularBirdNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    if (hasNodeProperty(set, "BirdTemplateID")) {
        const stringc text = getPropertyString(set->getProperty("BirdTemplateID").get());
        setBirdTemplate(text.empty() ? -1 : CNameId(text).getId());
    }
    loadRange(set, "Ellipse1Size", Ellipse1Size);
    loadRange(set, "Ellipse2Size", Ellipse2Size);
    loadFloat(set, "AngularVelocity1", AngularVelocity1);
    loadFloat(set, "AngularVelocity2", AngularVelocity2);
}

void GCircularBirdNode::setBirdTemplate(s32 templateId) {
    m_body = nullptr;
    m_templateId = templateId;
    SceneManager* manager = getSceneManager();
    TemplateCollectionNode* templates = manager ? manager->getTemplateCollection() : nullptr;
    if (templates && templateId != -1) {
        if (BaseNode* found = templates->findTemplate(templateId))
            m_body.assign(found->findChildByName("Body", 1));
    }
    setUpdateSource(nullptr);
}

bool GCircularBirdNode::onSceneActivated(CEvent*) {
    setBirdTemplate(m_templateId);
    return false;
}

bool GCircularBirdNode::onTemplatesChanged(CEvent*) {
    setBirdTemplate(m_templateId);
    return false;
}

BaseNode* GCircularBirdNode::getBird() const {
    return m_bird && m_bird->getParent() == this ? m_bird.get() : nullptr;
}

void GCircularBirdNode::render(DrawList& list) {
    BaseNode::render(list);
    if (isRunning() || !m_body) return;
    start();
    attachToScene();
}

vector2df GCircularBirdNode::ellipsePoint(f32 angle, const vector2df& size) const {
    const f32 r = angle * DegreesToRadians;
    return vector2df(std::cos(r) * size.X, std::sin(r) * size.Y);
}

void GCircularBirdNode::placeBird() {
    BaseNode* bird = getBird();
    if (!bird) return;
    const vector2df p1 = ellipsePoint(m_angle1, Ellipse1Size);
    const vector2df p2 = ellipsePoint(m_angle2, Ellipse2Size);
    bird->setPosition(vector3df(p1.X + p2.X, p1.Y + p2.Y, 0.0f));
    bird->markTransformDirty();
}

u32 GCircularBirdNode::drawFlapPeriod() const {
    return static_cast<u32>(CRandom::instance().nextFloat() * FlapSpreadMs + FlapBaseMs);
}

void GCircularBirdNode::start() {
    if (BaseNode* old = getBird()) old->setParent(nullptr);
    m_bird = nullptr;
    BaseNode* bird = m_body->clone(this, nullptr);
    if (!bird) return;
    bird->setInternal(true);
    m_bird.assign(bird);
    m_direction = -1;
    m_angle1 = drawRange(FullCircle);
    m_angle2 = drawRange(FullCircle);
    placeBird();
    m_flapTimer = drawFlapPeriod();
}

void GCircularBirdNode::playOn(BaseNode* bird, s32 state) const { bird->playState(state); }

bool GCircularBirdNode::update(u32 elapsedMs) {
    BaseNode* bird = getBird();
    if (!bird) return false;
    const f32 dt = static_cast<f32>(elapsedMs) * 0.001f;
    m_angle1 += AngularVelocity1 * dt;
    m_angle2 += AngularVelocity2 * dt;
    const vector2df p2 = ellipsePoint(m_angle2, Ellipse2Size);
    const s32 direction = GPathMovableNode::getDirectionStateId(
        vector2df(-p2.Y * Ellipse2Size.X, p2.X * Ellipse2Size.Y));
    if (direction != m_direction) {
        m_direction = direction;
        Animator* running = bird->getRunningAnimator();
        animation::Base* first =
            running && running->getAnimationCount() > 0 ? running->getAnimation(0) : nullptr;
        if (direction != -1 && first && first->isRunning()) {
            const u32 t = first->getTime();
            playOn(bird, flapStateOf(direction));
            Animator* now = bird->getRunningAnimator();
            if (now && now->getAnimationCount() > 0) now->getAnimation(0)->setTime(t, false);
        } else if (direction != -1) {
            playOn(bird, direction);
        }
    }
    placeBird();
    if (m_flapTimer > elapsedMs) {
        m_flapTimer -= elapsedMs;
    } else {
        if (m_direction != -1) playOn(bird, flapStateOf(m_direction));
        m_flapTimer += drawFlapPeriod();
    }
    return true;
}

}  // namespace brasquel
