#include "game/world/OnceSpawnerNode.h"

#include "engine/core/CRandom.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/config/GNodeTypeIds.h"
#include "game/world/GPathMovers.h"

namespace brasquel {

using namespace oskel;

namespace {

stringc joinNames(const array<CNameId>& ids) {
    stringc text;
    for (u32 i = 0; i < ids.size(); ++i) {
        if (i > 0) text += ";";
        text += ids[i].getName();
    }
    return text;
}

s32 listLength(const array<CNameId>& ids) { return static_cast<s32>(ids.size()); }

}  // namespace

OnceSpawnerNode::OnceSpawnerNode(const CCreationContext& context, BaseNode* parent,
                                 SceneManager* manager)
    : BaseNode(context, parent, manager) {}

OnceSpawnerNode::~OnceSpawnerNode() = default;

const CPropertyTable& OnceSpawnerNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<OnceSpawnerNode>(t)
            .accessors<&OnceSpawnerNode::getObjState, &OnceSpawnerNode::setObjState>("ObjState")
            .accessors<&OnceSpawnerNode::getObjTemplateIDs, &OnceSpawnerNode::setObjTemplateIDs>(
                "ObjTemplateIDs")
            .field<&OnceSpawnerNode::ShowLevelPercent>("ShowLevelPercent");
        return t;
    }();
    return table;
}

BRASQUEL_DEFINE_NODE_CLASS(OnceSpawnerNode, GameNodeTypeOnceSpawnerNode, BaseNode)

void OnceSpawnerNode::setObjTemplateIDs(const stringc& text) { m_templates = parseNameIdList(text); }

stringc OnceSpawnerNode::getObjTemplateIDs() const { return joinNames(m_templates); }

void OnceSpawnerNode::setObjState(const stringc& text) { m_states = parseNameIdList(text); }

stringc OnceSpawnerNode::getObjState() const { return joinNames(m_states); }

BaseNode* OnceSpawnerNode::getSpawned() const {
    for (BaseNode* child : getChildren())
        if (child->isInternal()) return child;
    return nullptr;
}

void OnceSpawnerNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || source == this || !source->isKindOf(GameNodeTypeOnceSpawnerNode)) return;
    const auto* other = static_cast<const OnceSpawnerNode*>(source);
    m_templates = other->m_templates;
    m_states = other->m_states;
    ShowLevelPercent = other->ShowLevelPercent;
}

void OnceSpawnerNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (!m_templates.empty()) set->addString("ObjTemplateIDs", getObjTemplateIDs());
    if (!m_states.empty()) set->addString("ObjState", getObjState());
    if (ShowLevelPercent != DefaultShowLevelPercent)
        set->addInt("ShowLevelPercent", ShowLevelPercent);
}

void OnceSpawnerNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    if (hasNodeProperty(set, "ObjTemplateIDs"))
        setObjTemplateIDs(getPropertyString(set->getProperty("ObjTemplateIDs").get()));
    if (hasNodeProperty(set, "ObjState"))
        setObjState(getPropertyString(set->getProperty("ObjState").get()));
    if (hasNodeProperty(set, "ShowLevelPercent"))
        ShowLevelPercent = unboxPropertyInt(set->getProperty("ShowLevelPercent").get());
}

void OnceSpawnerNode::attemptSpawn() {
    m_pending = false;
    CRandom& random = CRandom::instance();
    const s32 chance = random.nextInt(ChanceDrawMin, ChanceDrawEnd);
    if (chance >= ShowLevelPercent || m_templates.empty()) return;
    SceneManager* manager = getSceneManager();
    TemplateCollectionNode* collection = manager ? manager->getTemplateCollection() : nullptr;
    if (!collection) return;

    const CNameId& name = m_templates[static_cast<u32>(random.nextInt(0, listLength(m_templates)))];
    const BaseNode* source = collection->findTemplate(name.getId());
    if (!source) return;
    BaseNode* copy = source->clone(this, manager);
    if (!copy) return;
    if (copy->isKindOf(GameNodeTypeCarNode)) static_cast<GCarNode*>(copy)->RemoveAtEnd = false;
    copy->setInternal(true);
    copy->setVisible(true);
    if (!m_states.empty()) {
        const CNameId& state = m_states[static_cast<u32>(random.nextInt(0, listLength(m_states)))];
        copy->setState(state.getId(), nullptr);
    }
}

void OnceSpawnerNode::render(DrawList& list) {
    if (m_pending) attemptSpawn();
    BaseNode::render(list);
}

}  // namespace brasquel
