#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/scene/ControlNode.h"

namespace oskel {

// A value inside a range (MinValue < MaxValue, MinValue <= Value <= MaxValue, kept by the
// setters; loading stores the values as they are). Reacts to no input of its own and posts
// nothing; cannot be cloned.
class BaseProgressBarNode : public ControlNode {
public:
    static constexpr f32 DefaultMinValue = 0.0f;
    static constexpr f32 DefaultMaxValue = 100.0f;
    static constexpr f32 DefaultValue = 50.0f;

    BaseProgressBarNode(const CCreationContext& context, BaseNode* parent = nullptr,
                        SceneManager* manager = nullptr);

    const CPropertyTable& getPropertyTable() const override;
    // None: the class is not made on its own.
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeBaseProgressBar; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeBaseProgressBar || ControlNode::isKindOf(typeId);
    }
    void copyFrom(const BaseNode* source, SceneManager* manager) override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // Ignored unless below MaxValue; raises Value to it.
    void setMinValue(f32 value);
    // Ignored unless above MinValue; lowers Value to it.
    void setMaxValue(f32 value);
    // Clamped into the range; the bar is updated even when nothing changes.
    void setValue(f32 value);
    f32 getMinValue() const { return m_min; }
    f32 getMaxValue() const { return m_max; }
    f32 getValue() const { return m_value; }

    // Shows the value; nothing here.
    virtual void updateBar() {}

protected:
    f32 m_min = DefaultMinValue;
    f32 m_max = DefaultMaxValue;
    f32 m_value = DefaultValue;
};

// A progress bar that shows its value by stretching the "Knob" of its template along the
// "SlidingArea" (KnobType 1: a fill bar, horizontal when the area is not higher than wide).
class ProgressBarNode : public BaseProgressBarNode {
public:
    enum EKnobType : s32 { KnobKeep = 0, KnobFill = 1 };

    ProgressBarNode(const CCreationContext& context, BaseNode* parent = nullptr,
                    SceneManager* manager = nullptr);
    ~ProgressBarNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeProgressBar; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeProgressBar || BaseProgressBarNode::isKindOf(typeId);
    }
    void copyFrom(const BaseNode* source, SceneManager* manager) override;
    void applyTemplate() override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // Places the knob: a fill bar takes the fraction of the value in the range (cut to 0 .. 1)
    // of the area's length, from the area's start.
    void updateBar() override;

    s32 getKnobType() const { return m_knobType; }
    void setKnobType(s32 type) { m_knobType = type; }
    BaseNode* getSlidingArea() const { return m_area.get(); }
    BaseNode* getKnob() const { return m_knob.get(); }

private:
    s32 m_knobType = KnobKeep;
    CRefPtr<BaseNode> m_area;
    CRefPtr<BaseNode> m_knob;
};

inline BaseProgressBarNode* asProgressBarNode(BaseNode* node) {
    return node && node->isKindOf(NodeTypeBaseProgressBar) ? static_cast<BaseProgressBarNode*>(node)
                                                           : nullptr;
}

}  // namespace oskel
