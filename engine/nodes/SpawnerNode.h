#pragma once

#include <vector>

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/BaseNode.h"

namespace oskel {

// Makes clones of named templates as its own children at a random rate, at random offsets and
// rotations, and gives each a random "LifeTime" (which the clones' own classes act on). Counts
// frame time in 30 ms steps of its scene's timer scheduler once it has been drawn while
// Enabled.
class SpawnerNode : public BaseNode, public IUpdateReceiver {
public:
    static constexpr u32 UpdatePeriodMs = 30;
    // Clones one step may make: a higher due count drops the surplus time.
    static constexpr u32 MaxSpawnsPerStep = 256;

    SpawnerNode(const CCreationContext& context, BaseNode* parent = nullptr,
                SceneManager* manager = nullptr);
    ~SpawnerNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeSpawner; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeSpawner || typeId == NodeTypeBase;
    }

    // Draws as a plain node; the first frame drawn while Enabled starts the spawning after the
    // start delay.
    void render(DrawList& list) override;
    void copyFrom(const BaseNode* source, SceneManager* manager) override;
    // Both resolve the templates again; neither consumes the event.
    bool onSceneActivated(CEvent* event) override;
    bool onTemplatesChanged(CEvent* event) override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // One time step: the spawns that the elapsed time makes due at a rate drawn for the step.
    bool update(u32 elapsedMs) override;
    // Makes n clones of one template chosen at random (nothing without templates).
    void spawn(u32 count);

    // Template names separated by ";" (blanks around them trimmed, empty ones skipped).
    void setObjTemplate(const stringc& text);
    stringc getObjTemplate() const;
    // Off detaches the spawner from its scheduler (no time counts); on attaches it to its
    // scene's.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    void setSpawnedObjectGhost(bool ghost) { m_ghost = ghost; }
    bool isSpawnedObjectGhost() const { return m_ghost; }
    void setObjectsSpawnStartDelayRange(const vector2df& range) { m_startDelayRange = range; }
    void setObjectsPerSecRange(const vector2df& range) { m_rateRange = range; }
    void setObjectsLifeTimeRange(const vector2df& range) { m_lifeTimeRange = range; }
    void setObjectsXDeltaRange(const vector2df& range) { m_xRange = range; }
    void setObjectsYDeltaRange(const vector2df& range) { m_yRange = range; }
    void setObjectsRotationDeltaRange(const vector2df& range) { m_rotationRange = range; }
    const vector2df& getObjectsSpawnStartDelayRange() const { return m_startDelayRange; }
    const vector2df& getObjectsPerSecRange() const { return m_rateRange; }
    const vector2df& getObjectsLifeTimeRange() const { return m_lifeTimeRange; }
    const vector2df& getObjectsXDeltaRange() const { return m_xRange; }
    const vector2df& getObjectsYDeltaRange() const { return m_yRange; }
    const vector2df& getObjectsRotationDeltaRange() const { return m_rotationRange; }
    // Values set on every clone by name (shared, held); none clears them.
    void setObjectsProperties(CPropertySet* properties) { m_objectsProperties.assign(properties); }
    CPropertySet* getObjectsProperties() const { return m_objectsProperties.get(); }

    // The names' templates in the scene manager's template collection (missing ones skipped).
    void resolveTemplates();
    u32 getTemplateCount() const { return static_cast<u32>(m_templates.size()); }
    // Milliseconds counted towards the next spawn (below 0 while the start delay runs).
    f32 getAccumulator() const { return m_accumulator; }

private:
    void restartDelay();

    array<CNameId> m_templateNames;
    std::vector<CRefPtr<BaseNode>> m_templates;
    bool m_enabled = true;
    bool m_ghost = true;
    vector2df m_startDelayRange{0.0f, 0.0f};
    vector2df m_rateRange{1.0f, 1.0f};
    vector2df m_lifeTimeRange{1000.0f, 1000.0f};
    vector2df m_xRange{0.0f, 0.0f};
    vector2df m_yRange{0.0f, 0.0f};
    vector2df m_rotationRange{0.0f, 0.0f};
    CRefPtr<CPropertySet> m_objectsProperties;
    f32 m_accumulator = 0.0f;
    bool m_boundReported = false;
};

}  // namespace oskel
