#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/scene/ControlNode.h"

namespace oskel {

// A control that edits a value inside a range by dragging the "Knob" of its template along the
// "SlidingArea", by clicking into the area, by a "PrevButton" and a "NextButton" that step by
// DeltaValue, and by the keyboard. The area lies horizontally unless it is higher than wide.
// The knob is a handle, a fill bar or a thumb whose length shows the knob extent (the span of
// values it covers). Changes made by the user post a value change (60) to the parents, once per
// input event that changed the value; program calls post nothing.
class SliderNode : public ControlNode {
    OSKEL_DECLARE_EVENT_MAP()

public:
    enum EKnobType : s32 { KnobHandle = 0, KnobFill = 1, KnobThumb = 2 };
    static constexpr f32 DefaultMinValue = 0.0f;
    static constexpr f32 DefaultMaxValue = 100.0f;
    static constexpr f32 DefaultValue = 50.0f;
    static constexpr f32 DefaultDeltaValue = 5.0f;
    // A thumb is drawn at least this long.
    static constexpr f32 MinThumbLength = 25.0f;

    SliderNode(const CCreationContext& context, BaseNode* parent = nullptr,
               SceneManager* manager = nullptr);
    ~SliderNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeSlider; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeSlider || ControlNode::isKindOf(typeId);
    }
    void copyFrom(const BaseNode* source, SceneManager* manager) override;
    void applyTemplate() override;
    bool onMouseMove(CEvent* event) override;
    bool onMouseLeftDown(CEvent* event) override;
    bool onKeyDown(CEvent* event) override;
    bool onKeyUp(CEvent*) override { return false; }
    virtual bool onNodePressedPreview(CEvent*) { return false; }
    virtual bool onNodePressed(CEvent* event);

    bool routeToChildren(u32 mode, CEvent* event) override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // The setters keep MinValue < MaxValue and MinValue <= Value <= MaxValue and place the knob.
    void setMinValue(f32 value);
    void setMaxValue(f32 value);
    void setValue(f32 value);
    void setKnobExtent(f32 extent);
    void setDeltaValue(f32 delta) { m_delta = delta; }
    void setKnobType(s32 type) { m_knobType = type; }
    f32 getMinValue() const { return m_min; }
    f32 getMaxValue() const { return m_max; }
    f32 getValue() const { return m_value; }
    f32 getDeltaValue() const { return m_delta; }
    f32 getKnobExtent() const { return m_extent; }
    s32 getKnobType() const { return m_knobType; }

    // The knob along the area for the value (the value's fraction of the range, cut to 0 .. 1).
    void placeKnob();
    // The value under a point in screen coordinates, when it lies inside the area.
    void setValueFromPoint(const vector2df& point);

    BaseNode* getSlidingArea() const { return m_area.get(); }
    BaseNode* getKnob() const { return m_knob.get(); }
    BaseNode* getPrevButton() const { return m_prevButton.get(); }
    BaseNode* getNextButton() const { return m_nextButton.get(); }
    bool isHorizontal() const;

private:
    // Posts 60 when the value differs from the one before.
    void reportChange(f32 before);
    // The value's and the extent's fractions of the range (0 for an empty range).
    void fractions(f32& position, f32& extent) const;

    f32 m_min = DefaultMinValue;
    f32 m_max = DefaultMaxValue;
    f32 m_value = DefaultValue;
    f32 m_delta = DefaultDeltaValue;
    s32 m_knobType = KnobHandle;
    f32 m_extent = 0.0f;
    CRefPtr<BaseNode> m_area;
    CRefPtr<BaseNode> m_knob;
    CRefPtr<BaseNode> m_nextButton;
    CRefPtr<BaseNode> m_prevButton;
};

inline SliderNode* asSliderNode(BaseNode* node) {
    return node && node->isKindOf(NodeTypeSlider) ? static_cast<SliderNode*>(node) : nullptr;
}

}  // namespace oskel
