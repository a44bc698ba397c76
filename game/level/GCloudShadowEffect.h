#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "game/level/GBuildingProcess.h"

namespace brasquel {

// Cloud shadows drifting over the level world for as long as the level runs: three at once, then
// one more about every ten seconds, each crossing from the top or the right edge towards the
// lower left and gone at the end of its way. It belongs to no lot.
class GCloudShadowEffect : public GBuildingProcess {
    OSKEL_DECLARE_EVENT_MAP()

public:
    static constexpr oskel::s32 FirstClouds = 3;
    static constexpr oskel::s32 SpawnPeriodMs = 10000;
    static constexpr oskel::f32 PathLength = 1500.0f;
    static constexpr oskel::s32 PathAngle = -210;
    static constexpr oskel::u32 MinimumSpeed = 30;
    static constexpr oskel::u32 SpeedRange = 10;

    GCloudShadowEffect(oskel::BaseNode* world, oskel::TemplateCollectionNode* templates);
    ~GCloudShadowEffect() override;

    oskel::f32 getProgress() const override { return 0.0f; }
    bool update(oskel::u32 elapsedMs) override;
    bool onChildStateFinished(oskel::CEvent* event);

    void spawnCloud();
    const std::vector<oskel::CRefPtr<oskel::BaseNode>>& getClouds() const { return m_clouds; }
    oskel::s32 getSpawnTimer() const { return m_spawnTimer; }

private:
    oskel::CRefPtr<oskel::BaseNode> m_world;
    oskel::CRefPtr<oskel::TemplateCollectionNode> m_templates;
    std::vector<oskel::CRefPtr<oskel::BaseNode>> m_clouds;
    oskel::s32 m_spawnTimer = 0;
};

}  // namespace brasquel
