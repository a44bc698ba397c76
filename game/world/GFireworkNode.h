#pragma once

#include "game/config/GNodeClass.h"
#include "game/world/GEffectNode.h"

namespace brasquel {

// One firework rocket. At its first draw it jumps by a small random offset, comes far to the
// front and enters "Up" with its subtree; it flies with a random velocity under a constant
// acceleration for a random time, then enters "Boost" and stands still. When "Boost" has finished
// in its whole subtree it leaves its parent. A rocket never starts twice.
class GFireworkNode : public GEffectNode {
public:
    // How far to the front a rocket comes when it starts.
    static constexpr oskel::f32 FrontDepth = 2000.0f;

    explicit GFireworkNode(const oskel::CCreationContext& context,
                           oskel::BaseNode* parent = nullptr,
                           oskel::SceneManager* manager = nullptr);
    ~GFireworkNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    BRASQUEL_NODE_CLASS()
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    void render(oskel::DrawList& list) override;
    // The end of "Boost" removes the rocket (the event is consumed); other states pass on.
    bool onStateFinished(oskel::CEvent* event) override;
    bool update(oskel::u32 elapsedMs) override;

    oskel::vector2df VelocityXRange{0.0f, 0.0f};
    oskel::vector2df VelocityYRange{0.0f, 0.0f};
    oskel::vector2df Acceleration{0.0f, 0.0f};
    oskel::vector2df MoveTimeRange{0.0f, 0.0f};

    const oskel::vector2df& getVelocity() const { return m_velocity; }
    oskel::s32 getRemainingMoveTime() const { return m_remainingMoveTime; }

protected:
    void start() override;

private:
    oskel::vector2df m_velocity{0.0f, 0.0f};
    oskel::s32 m_remainingMoveTime = 0;
};

// The names of the rocket's two states.
oskel::s32 getFireworkUpId();
oskel::s32 getFireworkBoostId();

}  // namespace brasquel
