#include "engine/nodes/ProgressBarNode.h"

#include <algorithm>

#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneManager.h"

namespace oskel {

// ---- BaseProgressBarNode ----

BaseProgressBarNode::BaseProgressBarNode(const CCreationContext& context, BaseNode* parent,
                                         SceneManager* manager)
    : ControlNode(context, parent, manager) {}

const CPropertyTable& BaseProgressBarNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = ControlNode::getPropertyTable();
        TPropertyTableBuilder<BaseProgressBarNode>(t)
            .field<&BaseProgressBarNode::m_min, &BaseProgressBarNode::setMinValue>("MinValue")
            .field<&BaseProgressBarNode::m_max, &BaseProgressBarNode::setMaxValue>("MaxValue")
            .field<&BaseProgressBarNode::m_value, &BaseProgressBarNode::setValue>("Value");
        return t;
    }();
    return table;
}

BaseNode* BaseProgressBarNode::clone(BaseNode*, SceneManager*) const { return nullptr; }

const stringw& BaseProgressBarNode::getClassName() const {
    static const stringw name(L"BaseProgressBarNode");
    return name;
}

const stringw& BaseProgressBarNode::getThisClassName() const {
    static const stringw name(L"BaseProgressBarNode");
    return name;
}

void BaseProgressBarNode::setMinValue(f32 value) {
    if (!(value < m_max)) return;
    m_min = value;
    if (value > m_value) m_value = value;
    updateBar();
}

void BaseProgressBarNode::setMaxValue(f32 value) {
    if (!(value > m_min)) return;
    m_max = value;
    if (value < m_value) m_value = value;
    updateBar();
}

void BaseProgressBarNode::setValue(f32 value) {
    if (value < m_min) value = m_min;
    if (value > m_max) value = m_max;
    // A value that is not a number stays out.
    if (value == value) m_value = value;
    updateBar();
}

void BaseProgressBarNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    ControlNode::copyFrom(source, manager);
    const BaseProgressBarNode* bar = asProgressBarNode(const_cast<BaseNode*>(source));
    if (!bar || bar == this) return;
    m_min = bar->m_min;
    m_max = bar->m_max;
    m_value = bar->m_value;
}

void BaseProgressBarNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    ControlNode::saveProperties(set);
    if (m_min != DefaultMinValue) set->addFloat("MinValue", m_min);
    if (m_max != DefaultMaxValue) set->addFloat("MaxValue", m_max);
    if (m_value != DefaultValue) set->addFloat("Value", m_value);
}

void BaseProgressBarNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    ControlNode::loadProperties(set);
    if (hasNodeProperty(set, "MinValue"))
        m_min = unboxPropertyFloat(set->getProperty("MinValue").get());
    if (hasNodeProperty(set, "MaxValue"))
        m_max = unboxPropertyFloat(set->getProperty("MaxValue").get());
    if (hasNodeProperty(set, "Value"))
        m_value = unboxPropertyFloat(set->getProperty("Value").get());
}

// ---- ProgressBarNode ----

ProgressBarNode::ProgressBarNode(const CCreationContext& context, BaseNode* parent,
                                 SceneManager* manager)
    : BaseProgressBarNode(context, parent, manager) {}

ProgressBarNode::~ProgressBarNode() {
    m_area = nullptr;
    m_knob = nullptr;
}

const CPropertyTable& ProgressBarNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseProgressBarNode::getPropertyTable();
        TPropertyTableBuilder<ProgressBarNode>(t).field<&ProgressBarNode::m_knobType>("KnobType");
        return t;
    }();
    return table;
}

BaseNode* ProgressBarNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<ProgressBarNode>(this, parent, manager);
}

const stringw& ProgressBarNode::getClassName() const {
    static const stringw name(L"ProgressBarNode");
    return name;
}

const stringw& ProgressBarNode::getThisClassName() const {
    static const stringw name(L"ProgressBarNode");
    return name;
}

void ProgressBarNode::applyTemplate() {
    if (!getSceneManager()) return;
    CRefPtr<BaseNode> self(this);
    ControlNode::applyTemplate();
    m_area = nullptr;
    m_knob = nullptr;
    if (ControlNode* instance = getTemplateInstance()) {
        m_area.assign(instance->findChildByName(CNameId("SlidingArea").getId(), 1));
        m_knob.assign(instance->findChildByName(CNameId("Knob").getId(), 1));
    }
    updateBar();
}

void ProgressBarNode::updateBar() {
    if (!m_knob || !m_area) return;
    if (m_knobType != KnobFill) return;
    f32 fraction = m_max > m_min ? (m_value - m_min) / (m_max - m_min) : 0.0f;
    // A value outside the range (loaded as it stands) fills no more than the area.
    if (!(fraction > 0.0f)) fraction = 0.0f;
    if (fraction > 1.0f) fraction = 1.0f;
    const vector3df& area = m_area->getBounds();
    const vector3df& areaAt = m_area->getPosition();
    vector3df knobAt = m_knob->getPosition();
    vector3df knob = m_knob->getBounds();
    if (area.Y <= area.X) {
        knob.X = fraction * area.X;
        knobAt.X = areaAt.X;
    } else {
        knob.Y = fraction * area.Y;
        knobAt.Y = areaAt.Y;
    }
    m_knob->setBounds(knob.X, knob.Y);
    m_knob->setPosition(knobAt);
}

void ProgressBarNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseProgressBarNode::copyFrom(source, manager);
    const auto* bar = dynamic_cast<const ProgressBarNode*>(source);
    if (bar && bar != this) m_knobType = bar->m_knobType;
}

void ProgressBarNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseProgressBarNode::saveProperties(set);
    if (m_knobType != KnobKeep) set->addInt("KnobType", m_knobType);
}

void ProgressBarNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseProgressBarNode::loadProperties(set);
    if (hasNodeProperty(set, "KnobType"))
        m_knobType = unboxPropertyInt(set->getProperty("KnobType").get());
}

}  // namespace oskel
