#include "engine/nodes/ParticleSystemNode.h"

#include <cmath>

#include "engine/content/IContentManager.h"
#include "engine/core/StringUtils.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/ITexture.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/render2d/CAtlasTexture.h"

namespace oskel {

namespace {

constexpr u32 VerticesPerParticle = 4;
constexpr u32 IndicesPerParticle = 6;

// A particle's rotation in whole degrees (the fraction is cut off); 0 for a damaged angle.
s32 wholeDegrees(f32 angle) {
    if (!std::isfinite(angle)) return 0;
    return static_cast<s32>(std::fmod(angle, 360.0f));
}

}  // namespace

ParticleSystemNode::ParticleSystemNode(const CCreationContext& context, BaseNode* parent,
                                       SceneManager* manager)
    : BaseNode(context, parent, manager),
      IUpdateReceiver(UpdatePeriodMs),
      m_material(makeNodeMaterial(ETW_REPEAT, true, true, 0)),
      m_meshBuffer(makeRef<CMeshBuffer>()) {
    m_meshBuffer->PrimitiveType = EPT_TRIANGLES;
}

ParticleSystemNode::~ParticleSystemNode() {
    releaseEmitter();
    setUpdateSource(nullptr);
}

const CPropertyTable& ParticleSystemNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<ParticleSystemNode>(t)
            .accessors<&ParticleSystemNode::getEmitterName, &ParticleSystemNode::setEmitterName>(
                "EmitterName")
            .accessors<&ParticleSystemNode::getAtlasTexture, &ParticleSystemNode::setAtlasTexture,
                       CAtlasTextureBox>("AtlasTexture")
            .field<&ParticleSystemNode::m_enabled, &ParticleSystemNode::setEnabled>("Enabled")
            .field<&ParticleSystemNode::m_emitterEnabled, &ParticleSystemNode::setEmitterEnabled>(
                "EmitterEnabled")
            .field<&ParticleSystemNode::m_global, &ParticleSystemNode::setGlobal>("Global");
        return t;
    }();
    return table;
}

BaseNode* ParticleSystemNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<ParticleSystemNode>(this, parent, manager);
}

const stringw& ParticleSystemNode::getClassName() const {
    static const stringw name(L"ParticleSystemNode");
    return name;
}

const stringw& ParticleSystemNode::getThisClassName() const {
    static const stringw name(L"ParticleSystemNode");
    return name;
}

// ---- Emitter ----

void ParticleSystemNode::releaseEmitter() {
    if (!m_emitter) return;
    m_emitter->setParticleTarget(nullptr);
    m_emitter->detachUpdateSource();
    m_emitter = nullptr;
}

void ParticleSystemNode::takeEmitter(BaseEmitter* emitter) {
    releaseEmitter();
    if (!emitter) return;
    m_emitter.assign(emitter);
    m_emitter->setParticleTarget(&m_particles);
    if (m_global) placeEmitter();
}

void ParticleSystemNode::placeEmitter() {
    if (!m_emitter) return;
    const matrix4& m = getAbsoluteTransform();
    m_emitter->setPosition(vector2df(m[12], m[13]));
}

void ParticleSystemNode::setEmitterName(const stringc& name) {
    releaseEmitter();
    IContentManager* manager = getContentManager();
    if (!manager || name.empty()) return;
    auto* cached = dynamic_cast<BaseEmitter*>(
        manager->findContent(TypeCodeEmitter, CCreationContext(manager, name)));
    if (!cached) return;
    CRefPtr<CResource> copy = CRefPtr<CResource>::fromRaw(cached->clone());
    takeEmitter(dynamic_cast<BaseEmitter*>(copy.get()));
}

stringc ParticleSystemNode::getEmitterName() const {
    return m_emitter ? m_emitter->getName() : stringc();
}

void ParticleSystemNode::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled)
        setUpdateSource(nullptr);
    else if (CTimerScheduler* scheduler = sceneScheduler())
        setUpdateSource(scheduler);
}

void ParticleSystemNode::setEmitterEnabled(bool enabled) {
    m_emitterEnabled = enabled;
    if (!m_emitter) return;
    if (m_global) placeEmitter();
    if (enabled) {
        if (CTimerScheduler* scheduler = sceneScheduler()) m_emitter->setUpdateSource(scheduler);
    } else {
        m_emitter->detachUpdateSource();
    }
}

// ---- Texture and mesh ----

void ParticleSystemNode::setAtlasTexture(CAtlasTexture* texture) {
    m_texture.assign(texture);
    if (!texture) {
        m_material.TextureLayer[0].Texture = nullptr;
        return;
    }
    if (m_material.LayerCount > 0)
        m_material.TextureLayer[0].Texture = texture->getTextureResource();
    const SAtlasCoords& frame = texture->getTextureCoords();
    S2DVertex* vertices = m_meshBuffer->getVertices();
    const u32 quads = m_meshBuffer->getVertexCount() / VerticesPerParticle;
    for (u32 q = 0; q < quads; ++q) {
        S2DVertex* v = vertices + q * VerticesPerParticle;
        v[0].TCoords.set(frame.left, frame.top);
        v[1].TCoords.set(frame.right, frame.top);
        v[2].TCoords.set(frame.right, frame.bottom);
        v[3].TCoords.set(frame.left, frame.bottom);
    }
}

bool ParticleSystemNode::update(u32 elapsedMs) {
    const u32 count = m_particles.getCount();
    if (count == 0 || !m_texture) return false;
    if (m_emitter && m_global) placeEmitter();

    const f32 dt = static_cast<f32>(elapsedMs) * 0.001f;
    for (u32 i = 0; i < m_particles.getCount();) {
        Particle& p = m_particles[i];
        p.age += elapsedMs;
        if (p.age >= p.lifetime) {
            m_particles.removeAt(i);  // the last one moves here and is looked at next
            continue;
        }
        p.velocity += p.acceleration * dt;
        p.position += p.velocity * dt;
        p.angularVelocity += p.angularAcceleration * dt;
        p.angle += p.angularVelocity * dt;
        p.scale += p.scaleVelocity * dt;
        for (u32 c = 0; c < 4; ++c) p.color[c] += p.colorVelocity[c] * dt;
        ++i;
    }

    // Room for n quads: grown only when too small, so a steady effect allocates nothing.
    const u32 n = m_particles.getCount();
    const SAtlasCoords& frame = m_texture->getTextureCoords();
    m_meshBuffer->PrimitiveCount = 2 * n;
    if (m_meshBuffer->getVertexCount() < VerticesPerParticle * n ||
        m_meshBuffer->getIndexCount() < IndicesPerParticle * n) {
        array<S2DVertex>& vertices = m_meshBuffer->vertices();
        array<u16>& indices = m_meshBuffer->indices();
        const u32 oldVertices = vertices.size();
        const u32 oldIndices = indices.size();
        vertices.set_used(VerticesPerParticle * n);
        indices.set_used(IndicesPerParticle * n);
        for (u32 v = oldVertices; v < vertices.size(); ++v) {
            const u32 corner = v % VerticesPerParticle;
            const f32 u = corner == 1 || corner == 2 ? frame.right : frame.left;
            const f32 w = corner >= 2 ? frame.bottom : frame.top;
            vertices[v] = S2DVertex(0.0f, 0.0f, 0.0f, SColor(0xffffffffu), u, w);
        }
        for (u32 i = oldIndices - oldIndices % IndicesPerParticle; i < indices.size();
             i += IndicesPerParticle) {
            const u16 base = static_cast<u16>(i / IndicesPerParticle * VerticesPerParticle);
            const u16 pattern[IndicesPerParticle] = {
                base, static_cast<u16>(base + 1), static_cast<u16>(base + 2),
                base, static_cast<u16>(base + 2), static_cast<u16>(base + 3)};
            for (u32 k = 0; k < IndicesPerParticle; ++k) indices[i + k] = pattern[k];
        }
    }

    // The frame's size in texels.
    ITexture* texture = m_texture->getTexture();
    const dimension2di size = texture ? texture->getSize() : dimension2di(0, 0);
    const f32 frameWidth = (frame.right - frame.left) * static_cast<f32>(size.Width);
    const f32 frameHeight = (frame.bottom - frame.top) * static_cast<f32>(size.Height);
    S2DVertex* vertices = m_meshBuffer->getVertices();
    for (u32 i = 0; i < n; ++i) {
        const Particle& p = m_particles[i];
        const f32 half = p.scale * 0.5f;
        vector2df a(-frameWidth * half, -frameHeight * half);
        vector2df b(frameWidth * half, -frameHeight * half);
        const s32 degrees = wholeDegrees(p.angle);
        rotateVectorByDegrees(a, degrees);
        rotateVectorByDegrees(b, degrees);
        const SColor color(toPackedColor(SColorf(p.color[0], p.color[1], p.color[2], p.color[3])));
        S2DVertex* v = vertices + i * VerticesPerParticle;
        const vector2df corners[4] = {p.position + a, p.position + b, p.position - a,
                                      p.position - b};
        for (u32 k = 0; k < VerticesPerParticle; ++k) {
            v[k].Pos.X = corners[k].X;
            v[k].Pos.Y = corners[k].Y;
            v[k].Color = color;
        }
    }
    return true;
}

// ---- Drawing ----

void ParticleSystemNode::render(DrawList& list) {
    if (!isVisible()) return;
    BaseNode::render(list);
    CTimerScheduler* scheduler = sceneScheduler();
    if (m_enabled && !getUpdateSource() && scheduler) setUpdateSource(scheduler);
    if (m_emitterEnabled && m_emitter && !m_emitter->getUpdateSource() && scheduler) {
        if (m_global) placeEmitter();
        m_emitter->setUpdateSource(scheduler);
    }
    if (m_texture && m_texture->getTexture() && m_particles.getCount() > 0)
        list.push_back(SDrawItem{this, getDepth(), 0});
}

void ParticleSystemNode::renderClipped(IVideoDriver* driver, const rectf*) {
    if (!driver) return;
    if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
    matrix4 world;
    if (!m_global) {
        world = getAbsoluteTransform();
        world[14] = 0.0f;
    }
    driver->setTransform(ETS_WORLD, world);
    driver->setMaterial(m_material);
    driver->drawMeshBuffer(m_meshBuffer.get());
    driver->setTransform(ETS_WORLD, matrix4());
}

// ---- Copies and properties ----

void ParticleSystemNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    const auto* other = dynamic_cast<const ParticleSystemNode*>(source);
    if (!other || other == this) return;
    m_global = other->m_global;
    releaseEmitter();
    if (other->m_emitter) {
        CRefPtr<CResource> copy = CRefPtr<CResource>::fromRaw(other->m_emitter->clone());
        takeEmitter(dynamic_cast<BaseEmitter*>(copy.get()));
    }
    m_material = other->m_material;
    setAtlasTexture(other->m_texture.get());
    // The switches only: the copy joins its scheduler and starts its emitter when it is drawn.
    m_enabled = other->m_enabled;
    m_emitterEnabled = other->m_emitterEnabled;
}

void ParticleSystemNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (m_emitter) set->addString("EmitterName", m_emitter->getName());
    if (m_texture) set->addProperty("ParticleTexture", boxAtlasTexture(m_texture.get()));
    if (!m_enabled) set->addBool("Enabled", false);
    if (!m_emitterEnabled) set->addBool("EmitterEnabled", false);
    if (m_global) set->addBool("Global", true);
}

void ParticleSystemNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    auto value = [set](const char* name) { return set->getProperty(name); };
    if (hasNodeProperty(set, "ParticleTexture"))
        setAtlasTexture(unboxAtlasTexture(value("ParticleTexture").get()));
    if (hasNodeProperty(set, "Enabled")) setEnabled(unboxPropertyBool(value("Enabled").get()));
    if (hasNodeProperty(set, "EmitterEnabled"))
        setEmitterEnabled(unboxPropertyBool(value("EmitterEnabled").get()));
    if (hasNodeProperty(set, "Global")) m_global = unboxPropertyBool(value("Global").get());
    if (hasNodeProperty(set, "EmitterName"))
        setEmitterName(getPropertyString(value("EmitterName").get()));
}

}  // namespace oskel
