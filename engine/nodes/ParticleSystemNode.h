#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/scene/BaseNode.h"
#include "engine/video/CMeshBuffer.h"
#include "engine/video/render2d/BaseEmitter.h"

namespace oskel {

class CAtlasTexture;

// A particle effect: a private copy of a named emitter fills the node's particle array; the node
// moves and ages the particles in 30 ms steps of its scene's timer scheduler and draws them as
// rotated, coloured quads of one atlas frame in a single mesh buffer. With Global on the
// particles live in the world, so that a moving node leaves a trail.
class ParticleSystemNode : public BaseNode, public IUpdateReceiver {
public:
    static constexpr u32 UpdatePeriodMs = 30;
    // Room reserved for particles; emitters never grow it.
    static constexpr u32 ParticleCapacity = 500;

    ParticleSystemNode(const CCreationContext& context, BaseNode* parent = nullptr,
                       SceneManager* manager = nullptr);
    ~ParticleSystemNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeParticleSystem; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeParticleSystem || typeId == NodeTypeBase;
    }

    // Joins the scene's scheduler when Enabled, starts the emitter when EmitterEnabled, and adds
    // one draw item when there is something to draw.
    void render(DrawList& list) override;
    // Draws the mesh buffer; the clip rectangle is not applied.
    void renderClipped(IVideoDriver* driver, const rectf* clip) override;
    void copyFrom(const BaseNode* source, SceneManager* manager) override;

    // Files store the texture as "ParticleTexture"; the table names it "AtlasTexture".
    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // Advances the particles by the elapsed time and refreshes the mesh buffer; false (leave the
    // scheduler until the next frame) without particles or texture.
    bool update(u32 elapsedMs) override;

    // Takes a copy of the emitter cached under the name; an unknown name leaves no emitter.
    void setEmitterName(const stringc& name);
    stringc getEmitterName() const;
    void setAtlasTexture(CAtlasTexture* texture);
    CAtlasTexture* getAtlasTexture() const { return m_texture.get(); }
    void setEnabled(bool enabled);
    void setEmitterEnabled(bool enabled);
    void setGlobal(bool global) { m_global = global; }
    bool isEnabled() const { return m_enabled; }
    bool isEmitterEnabled() const { return m_emitterEnabled; }
    bool isGlobal() const { return m_global; }

    // The node's own emitter (or none): its settings may be changed at run time.
    BaseEmitter* getEmitter() const { return m_emitter.get(); }
    CParticleArray& getParticles() { return m_particles; }
    const CParticleArray& getParticles() const { return m_particles; }
    const CMeshBuffer* getMeshBuffer() const { return m_meshBuffer.get(); }
    const SMaterial& getMaterial() const { return m_material; }

private:
    void takeEmitter(BaseEmitter* emitter);
    void releaseEmitter();
    CTimerScheduler* sceneScheduler() const { return getSceneBinding().scheduler; }
    void placeEmitter();

    CRefPtr<CAtlasTexture> m_texture;
    SMaterial m_material;
    CRefPtr<BaseEmitter> m_emitter;
    bool m_enabled = true;
    bool m_emitterEnabled = true;
    bool m_global = false;
    CParticleArray m_particles{ParticleCapacity};
    CRefPtr<CMeshBuffer> m_meshBuffer;
};

}  // namespace oskel
