#pragma once

#include "engine/core/CRefPtr.h"
#include "game/config/GNodeClass.h"
#include "game/world/GEffectNode.h"

namespace brasquel {

// A wave on a lake. Its child "Wave" plays "Normal" from a random moment of its key frames; its
// child "Star", a glint, shows "Blink" at random places inside the node's bounds at random
// intervals (hidden until the first). The node drifts at a constant velocity; with a life it
// fades out during its last one and a half seconds and then leaves its parent.
class GLakeWaveNode : public GEffectNode {
public:
    static constexpr oskel::u32 WavePeriodMs = 60;
    static constexpr oskel::s32 WaveFadeMs = 1500;
    // The first blink comes no sooner than this.
    static constexpr oskel::f32 FirstBlinkMs = 500.0f;
    // The depth of the star over the wave.
    static constexpr oskel::f32 StarDepth = 1.0f;

    explicit GLakeWaveNode(const oskel::CCreationContext& context,
                           oskel::BaseNode* parent = nullptr,
                           oskel::SceneManager* manager = nullptr);
    ~GLakeWaveNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    BRASQUEL_NODE_CLASS()
    // Finds "Wave" and "Star" among the direct children.
    void onLoaded() override;
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    bool update(oskel::u32 elapsedMs) override;

    oskel::vector2df StarBlinkRange{5000.0f, 10000.0f};
    oskel::vector3df Velocity{0.0f, 0.0f, 0.0f};
    // The life in ms, counted down while the node runs; 0 or below: for ever.
    oskel::s32 LifeTime = -1;

    oskel::BaseNode* getWave() const { return m_wave.get(); }
    oskel::BaseNode* getStar() const { return m_star.get(); }
    oskel::u32 getBlinkTimer() const { return m_blinkTimer; }

protected:
    void start() override;

private:
    oskel::CRefPtr<oskel::BaseNode> m_wave;
    oskel::CRefPtr<oskel::BaseNode> m_star;
    oskel::u32 m_blinkTimer = 0;
};

// The name of the star's state.
oskel::s32 getBlinkStateId();

}  // namespace brasquel
