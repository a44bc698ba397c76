#pragma once

#include <initializer_list>

#include "engine/core/CRefPtr.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/scene/BaseNode.h"
#include "engine/video/CMeshBuffer.h"
#include "engine/video/SMaterial.h"
#include "game/world/GParticleKeys.h"

namespace oskel {
class CAtlasTexture;
class CXmlReader;
}  // namespace oskel

namespace brasquel {

// What the weather and the hint particles share: an emitter configured by an XML file, particles
// of one atlas frame aged in 30 ms steps of the scene's scheduler, emission counted in whole
// particles (or bursts) per second, and one mesh buffer of quads drawn in a single call.
//
// The first draw with Enabled set and an atlas starts the effect already under way (half a
// second of emission at once) and joins the scene's scheduler. Disabled, the node stops emitting
// and leaves the scheduler once its last particle has died; the next draw after enabling it
// again starts afresh. An atlas whose page has no driver texture counts as none.
class GMeshParticlesNode : public oskel::BaseNode, public oskel::IUpdateReceiver {
public:
    static constexpr oskel::u32 UpdatePeriodMs = 30;
    // The emission a fresh start makes at once.
    static constexpr oskel::u32 HeadStartMs = 500;
    static constexpr oskel::u32 VerticesPerQuad = 4;
    static constexpr oskel::u32 IndicesPerQuad = 6;

    GMeshParticlesNode(const oskel::CCreationContext& context, oskel::BaseNode* parent,
                       oskel::SceneManager* manager, oskel::u32 capacity);
    ~GMeshParticlesNode() override;

    // ConfigurationFilename, Enabled and AtlasTexture after the node's own.
    const oskel::CPropertyTable& getPropertyTable() const override;
    void render(oskel::DrawList& list) override;
    // Draws the mesh buffer after the 2D quads queued so far; the clip rectangle is not used.
    void renderClipped(oskel::IVideoDriver* driver, const oskel::rectf* clip) override;
    void onLoaded() override {}
    // The node part, the file name, the flag, the rate, the material and the atlas; the class
    // adds its settings. Live particles are never copied.
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    void saveProperties(oskel::CPropertySet* set) const override;
    // The file first, then the flag, then the atlas.
    void loadProperties(const oskel::CPropertySet* set) override;

    // Ages the particles, emits for the elapsed time when enabled, and writes the quads. False
    // (the scheduler lets go) without an atlas, or when disabled with no particle left.
    bool update(oskel::u32 elapsedMs) override;

    // Reads the file (resolved as the content manager resolves names at the moment); a file
    // that cannot be opened changes no setting. The live particles go in every case.
    void setConfigurationFilename(const oskel::stringc& name);
    const oskel::stringc& getConfigurationFilename() const { return m_configurationFilename; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled; }
    // Holds the atlas; the material and every quad's texture coordinates follow it. None leaves
    // both as they were.
    void setAtlasTexture(oskel::CAtlasTexture* atlas);
    oskel::CAtlasTexture* getAtlasTexture() const { return m_atlas.get(); }
    void clearParticles() { setLiveCount(0); }

    oskel::u32 getCapacity() const { return m_capacity; }
    virtual oskel::u32 getLiveCount() const = 0;
    const oskel::CMeshBuffer& getMeshBuffer() const { return m_mesh; }
    const oskel::SMaterial& getMaterial() const { return m_material; }
    oskel::u32 getAccumulator() const { return m_accumulator; }

    // Particles (weather) or bursts (hints) per second; 0 or below emits nothing. Owners may
    // write it at any time.
    oskel::s32 PPS = 0;

protected:
    // The root element of the class's files.
    virtual const wchar_t* getRootElement() const = 0;
    // One element inside the root; the reader stands on its start.
    virtual void readSetting(oskel::CXmlReader& reader) = 0;
    virtual void copySettings(const GMeshParticlesNode& source) = 0;
    virtual void setLiveCount(oskel::u32 count) = 0;
    virtual void advance(oskel::f32 dt) = 0;
    virtual void emit(oskel::u32 elapsedMs) = 0;
    // The four vertices of each live particle, for a frame of the size in pixels.
    virtual void writeParticles(oskel::S2DVertex* vertices, oskel::f32 frameWidth,
                                oskel::f32 frameHeight, oskel::u32 tint) const = 0;
    // The weather draws at depth 0 whatever its own z.
    virtual bool drawsAtZeroDepth() const = 0;

    // The whole units of the rate due for the elapsed time; the accumulator keeps the rest.
    oskel::u32 takeDue(oskel::u32 elapsedMs);
    oskel::u32 getFreeRoom() const {
        return getLiveCount() < m_capacity ? m_capacity - getLiveCount() : 0;
    }

    // The two numbers of a setting's Value (missing ones 0).
    static oskel::vector2df readPair(const oskel::CXmlReader& reader);
    // What a class reads of its file: settings of two numbers by element name, and key lists by
    // element name inside its timeline element.
    struct SPairSetting {
        const wchar_t* element;
        oskel::vector2df* value;
    };
    struct SKeysSetting {
        const wchar_t* element;
        GParticleKeyList* keys;
    };
    // Reads the element the reader stands on: a pair of the list, "PPS", or the timeline with its
    // key lists (the reader is left on the timeline's end); any other element is passed over.
    void readSettingOf(oskel::CXmlReader& reader, std::initializer_list<SPairSetting> pairs,
                       const wchar_t* timeline, std::initializer_list<SKeysSetting> keys);
    // A lifetime in ms as an age rate per second; a lifetime of 0 or below gives 0 (the particle
    // dies at its first step).
    static oskel::f32 ageRateOf(oskel::f32 lifetimeMs);
    // One quad: corners (-hx, -hy) and (hx, -hy) turned by the angle's whole degrees, mirrored
    // through the centre for the other two.
    static void writeQuad(oskel::S2DVertex* v, const oskel::vector2df& centre, oskel::f32 hx,
                          oskel::f32 hy, oskel::f32 angle, oskel::u32 color);
    // Truncation toward zero, clamped to the int range (not a number gives 0).
    static oskel::s32 truncateToInt(oskel::f32 value);
    // White at the opacity (its low 8 bits of 255 x alpha), modulated by the tint.
    static oskel::u32 particleColor(oskel::f32 alpha, oskel::u32 tint);

private:
    bool hasDrawableAtlas() const;
    void sizeMesh(oskel::u32 count);
    void writeCorners(oskel::u32 firstVertex);

    oskel::stringc m_configurationFilename;
    oskel::CRefPtr<oskel::CAtlasTexture> m_atlas;
    oskel::SMaterial m_material;
    oskel::u32 m_capacity;
    oskel::CMeshBuffer m_mesh;
    bool m_enabled = true;
    oskel::u32 m_accumulator = 0;
};

}  // namespace brasquel
