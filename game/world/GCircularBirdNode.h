#pragma once

#include "engine/core/CRefPtr.h"
#include "game/config/GNodeClass.h"
#include "game/world/GEffectNode.h"

namespace brasquel {

// A bird flying for ever on the sum of two ellipses around the node's origin. The bird is a
// clone of the child "Body" of a template of the scene manager's collection, named by
// BirdTemplateID; it turns to its direction of travel with the eight direction states and
// flaps every four to seven seconds with the matching "_Flap" states. The bird is internal: it
// is never written to scene files nor copied with the node.
class GCircularBirdNode : public GEffectNode {
public:
    static constexpr oskel::f32 DefaultAngularVelocity = 5.0f;
    // The time between two flaps: from this, up to this plus the spread.
    static constexpr oskel::f32 FlapBaseMs = 4000.0f;
    static constexpr oskel::f32 FlapSpreadMs = 3000.0f;

    explicit GCircularBirdNode(const oskel::CCreationContext& context,
                               oskel::BaseNode* parent = nullptr,
                               oskel::SceneManager* manager = nullptr);
    ~GCircularBirdNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    BRASQUEL_NODE_CLASS()
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    // Without a body the node draws its other children and never starts.
    void render(oskel::DrawList& list) override;
    // Both look the template up again; neither consumes the event.
    bool onSceneActivated(oskel::CEvent* event) override;
    bool onTemplatesChanged(oskel::CEvent* event) override;
    bool update(oskel::u32 elapsedMs) override;

    // Looks the template's "Body" up (when the scene manager has a collection) and stops the
    // node, so that its next draw starts it again with a new bird.
    void setBirdTemplate(oskel::s32 templateId);
    oskel::s32 getBirdTemplate() const { return m_templateId; }

    oskel::vector2df Ellipse1Size{0.0f, 0.0f};
    oskel::vector2df Ellipse2Size{0.0f, 0.0f};
    oskel::f32 AngularVelocity1 = DefaultAngularVelocity;
    oskel::f32 AngularVelocity2 = DefaultAngularVelocity;

    oskel::BaseNode* getBody() const { return m_body.get(); }
    // The current bird while it is this node's child, else none.
    oskel::BaseNode* getBird() const;
    oskel::u32 getFlapTimer() const { return m_flapTimer; }
    oskel::s32 getDirection() const { return m_direction; }
    oskel::f32 getAngle1() const { return m_angle1; }

protected:
    void start() override;

private:
    static void setTemplateProperty(oskel::IPropertyTableSource* o,
                                    const oskel::CRefPtr<oskel::IPropertyData>& v);
    static oskel::CRefPtr<oskel::IPropertyData> getTemplateProperty(
        const oskel::IPropertyTableSource* o);
    oskel::vector2df ellipsePoint(oskel::f32 angle, const oskel::vector2df& size) const;
    void placeBird();
    void playOn(oskel::BaseNode* bird, oskel::s32 state) const;
    oskel::u32 drawFlapPeriod() const;

    oskel::s32 m_templateId = -1;
    oskel::CRefPtr<oskel::BaseNode> m_body;
    // Counted: other code may remove the bird; it is used only while this node is its parent.
    oskel::CRefPtr<oskel::BaseNode> m_bird;
    oskel::u32 m_flapTimer = 0;
    oskel::s32 m_direction = -1;
    oskel::f32 m_angle1 = 0.0f;
    oskel::f32 m_angle2 = 0.0f;
};

}  // namespace brasquel
