#include "engine/nodes/SliderNode.h"

#include <algorithm>

#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneManager.h"

namespace oskel {

OSKEL_BEGIN_EVENT_MAP(SliderNode, ControlNode)
OSKEL_EVENT_HANDLER(EventNodePressPreview, onNodePressedPreview)
OSKEL_EVENT_HANDLER(EventNodePressed, onNodePressed)
OSKEL_END_EVENT_MAP()

SliderNode::SliderNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : ControlNode(context, parent, manager) {}

SliderNode::~SliderNode() {
    m_area = nullptr;
    m_knob = nullptr;
    m_nextButton = nullptr;
    m_prevButton = nullptr;
}

const CPropertyTable& SliderNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = ControlNode::getPropertyTable();
        TPropertyTableBuilder<SliderNode>(t)
            .field<&SliderNode::m_min, &SliderNode::setMinValue>("MinValue")
            .field<&SliderNode::m_max, &SliderNode::setMaxValue>("MaxValue")
            .field<&SliderNode::m_value, &SliderNode::setValue>("Value")
            .field<&SliderNode::m_delta>("DeltaValue")
            .field<&SliderNode::m_knobType>("KnobType");
        return t;
    }();
    return table;
}

BaseNode* SliderNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<SliderNode>(this, parent, manager);
}

const stringw& SliderNode::getClassName() const {
    static const stringw name(L"SliderNode");
    return name;
}

const stringw& SliderNode::getThisClassName() const {
    static const stringw name(L"SliderNode");
    return name;
}

// ---- Values ----

void SliderNode::setMinValue(f32 value) {
    if (!(value < m_max)) return;
    m_min = value;
    if (value > m_value) m_value = value;
    placeKnob();
}

void SliderNode::setMaxValue(f32 value) {
    if (!(value > m_min)) return;
    m_max = value;
    if (value < m_value) m_value = value;
    placeKnob();
}

void SliderNode::setValue(f32 value) {
    if (value < m_min) value = m_min;
    if (value > m_max) value = m_max;
    if (value == value) m_value = value;
    placeKnob();
}

void SliderNode::setKnobExtent(f32 extent) {
    m_extent = extent;
    placeKnob();
}

void SliderNode::reportChange(f32 before) {
    if (m_value != before)
        postEventToParent(DispatchSelfThenParents, makeEvent<CEventNodeValueChanged>(this).get());
}

// ---- Knob ----

bool SliderNode::isHorizontal() const {
    if (!m_area) return true;
    const vector3df& bounds = m_area->getBounds();
    return bounds.Y <= bounds.X;
}

void SliderNode::fractions(f32& position, f32& extent) const {
    position = 0.0f;
    extent = 0.0f;
    if (!(m_max > m_min)) return;
    const f32 range = m_max - m_min;
    position = (m_value - m_min) / range;
    extent = std::min(m_extent / range, 1.0f);
}

void SliderNode::placeKnob() {
    if (!m_knob || !m_area) return;
    f32 p, s;
    fractions(p, s);
    // A value outside the range (loaded as it stands) keeps the knob on the area.
    if (!(p > 0.0f)) p = 0.0f;
    if (p > 1.0f) p = 1.0f;
    const bool horizontal = isHorizontal();
    const f32 areaAt = horizontal ? m_area->getPosition().X : m_area->getPosition().Y;
    const f32 areaLength = horizontal ? m_area->getBounds().X : m_area->getBounds().Y;
    vector3df knobAt = m_knob->getPosition();
    vector3df knob = m_knob->getBounds();
    f32& at = horizontal ? knobAt.X : knobAt.Y;
    f32& length = horizontal ? knob.X : knob.Y;
    switch (m_knobType) {
        case KnobHandle:
            at = s >= 1.0f ? areaAt : areaAt + (areaLength - length) * p / (1.0f - s);
            break;
        case KnobFill:
            length = areaLength * p;
            at = areaAt;
            break;
        case KnobThumb:
            length = std::max(s * areaLength, MinThumbLength);
            at = areaAt + areaLength * p;
            break;
        default:
            return;
    }
    m_knob->setBounds(knob.X, knob.Y);
    m_knob->setPosition(knobAt);
}

void SliderNode::setValueFromPoint(const vector2df& point) {
    if (!m_knob || !m_area) return;
    if (m_area->isTransformDirty()) m_area->updateAbsoluteTransform();
    matrix4 inverse;
    if (!m_area->getAbsoluteTransform().getInverse(inverse)) return;
    vector3df local(point.X, point.Y, 0.0f);
    inverse.transformVect(local);
    const vector3df& area = m_area->getBounds();
    if (!(local.X >= 0.0f && local.X <= area.X && local.Y >= 0.0f && local.Y <= area.Y)) return;
    const bool horizontal = isHorizontal();
    const f32 t = horizontal ? area.X : area.Y;
    const f32 k = horizontal ? m_knob->getBounds().X : m_knob->getBounds().Y;
    const f32 c = horizontal ? local.X : local.Y;
    f32 p, s;
    fractions(p, s);
    f32 value = m_value;
    if (m_knobType == KnobHandle || m_knobType == KnobThumb) {
        // The pointer holds the knob by its middle.
        const f32 e = c - k / 2.0f;
        f32 f;
        if (e <= 0.0f)
            f = 0.0f;
        else if (e >= t - k)
            f = 1.0f;
        else if (t - k == 0.0f)
            f = 0.0f;
        else
            f = e * (1.0f - s) / (t - k);
        value = m_min + (m_max - m_min) * f;
    } else if (m_knobType == KnobFill) {
        if (t > 0.0f) {
            value = m_min + (c / t) * (m_max - m_min);
            if (value < m_min) value = m_min;
            if (value + m_extent > m_max) value = m_max - m_extent;
        }
    }
    setValue(value);
}

// ---- Template ----

void SliderNode::applyTemplate() {
    if (!getSceneManager()) return;
    CRefPtr<BaseNode> self(this);
    ControlNode::applyTemplate();
    m_area = nullptr;
    m_knob = nullptr;
    m_nextButton = nullptr;
    m_prevButton = nullptr;
    if (ControlNode* instance = getTemplateInstance()) {
        m_area.assign(instance->findChildByName(CNameId("SlidingArea").getId(), 1));
        m_knob.assign(instance->findChildByName(CNameId("Knob").getId(), 1));
        m_nextButton.assign(instance->findChildByName(CNameId("NextButton").getId(), 1));
        m_prevButton.assign(instance->findChildByName(CNameId("PrevButton").getId(), 1));
    }
    placeKnob();
}

// ---- Input ----

bool SliderNode::onMouseLeftDown(CEvent* event) {
    if (!ControlNode::onMouseLeftDown(event)) return false;
    auto* e = static_cast<CEventMouseLeftDown*>(event);
    const f32 before = m_value;
    setValueFromPoint(vector2df(static_cast<f32>(e->getX()), static_cast<f32>(e->getY())));
    reportChange(before);
    return true;
}

bool SliderNode::onMouseMove(CEvent* event) {
    if (!ControlNode::onMouseMove(event)) return false;
    if (isPressed()) {
        auto* e = static_cast<CEventMouseMove*>(event);
        const f32 before = m_value;
        setValueFromPoint(vector2df(static_cast<f32>(e->getX()), static_cast<f32>(e->getY())));
        reportChange(before);
    }
    return true;
}

bool SliderNode::onNodePressed(CEvent* event) {
    BaseNode* sender = static_cast<CEventNodePressed*>(event)->getNode();
    if (!sender || (sender != m_prevButton.get() && sender != m_nextButton.get())) return false;
    const f32 before = m_value;
    setValue(sender == m_prevButton.get() ? m_value - m_delta : m_value + m_delta);
    reportChange(before);
    // The scene sees the button's click too.
    return false;
}

bool SliderNode::onKeyDown(CEvent* event) {
    if (!m_area) return ControlNode::onKeyDown(event);
    const bool horizontal = isHorizontal();
    const f32 before = m_value;
    // A step towards an end the value has reached is not taken: the key goes on.
    bool handled = false;
    f32 target = m_value;
    switch (static_cast<CEventKeyboardKey*>(event)->getKey()) {
        case VirtualKeyEnd:
            handled = true;
            target = m_max;
            break;
        case VirtualKeyHome:
            handled = true;
            target = m_min;
            break;
        case VirtualKeyLeft:
            handled = horizontal && m_value > m_min;
            target = m_value - m_delta;
            break;
        case VirtualKeyRight:
            handled = horizontal && m_value < m_max;
            target = m_value + m_delta;
            break;
        case VirtualKeyUp:
            handled = !horizontal && m_value < m_max;
            target = m_value + m_delta;
            break;
        case VirtualKeyDown:
            handled = !horizontal && m_value > m_min;
            target = m_value - m_delta;
            break;
        default:
            break;
    }
    if (!handled) return ControlNode::onKeyDown(event);
    setValue(target);
    reportChange(before);
    return true;
}

bool SliderNode::routeToChildren(u32 mode, CEvent* event) {
    if (!event) return false;
    CRefPtr<BaseNode> self(this);
    if (ControlNode::routeToChildren(mode, event)) return true;
    // The template's parts take part whether or not the slider is enabled: each applies its own
    // flag.
    const CRefPtr<BaseNode> parts[] = {m_prevButton, m_nextButton, m_knob};
    for (const CRefPtr<BaseNode>& part : parts) {
        if (!part || !part->acceptsEvent(event) || !part->dispatchEvent(mode, event)) continue;
        // A knob that takes the pointer still lets the slider drag it.
        const u32 type = event->getTypeId();
        if (part == m_knob && (type == EventMouseMove || type == EventMouseLeftDown)) return false;
        return true;
    }
    return false;
}

// ---- Copy and properties ----

void SliderNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    ControlNode::copyFrom(source, manager);
    const SliderNode* slider = asSliderNode(const_cast<BaseNode*>(source));
    if (!slider || slider == this) return;
    m_min = slider->m_min;
    m_max = slider->m_max;
    m_value = slider->m_value;
    m_delta = slider->m_delta;
    m_knobType = slider->m_knobType;
}

void SliderNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    ControlNode::saveProperties(set);
    if (m_min != DefaultMinValue) set->addFloat("MinValue", m_min);
    if (m_max != DefaultMaxValue) set->addFloat("MaxValue", m_max);
    if (m_value != DefaultValue) set->addFloat("Value", m_value);
    if (m_delta != DefaultDeltaValue) set->addFloat("DeltaValue", m_delta);
    if (m_knobType != KnobHandle) set->addInt("KnobType", m_knobType);
}

void SliderNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    ControlNode::loadProperties(set);
    auto floatOf = [set](const char* name) {
        return unboxPropertyFloat(set->getProperty(name).get());
    };
    if (hasNodeProperty(set, "MinValue")) m_min = floatOf("MinValue");
    if (hasNodeProperty(set, "MaxValue")) m_max = floatOf("MaxValue");
    if (hasNodeProperty(set, "Value")) m_value = floatOf("Value");
    if (hasNodeProperty(set, "DeltaValue")) m_delta = floatOf("DeltaValue");
    if (hasNodeProperty(set, "KnobType"))
        m_knobType = unboxPropertyInt(set->getProperty("KnobType").get());
}

}  // namespace oskel
