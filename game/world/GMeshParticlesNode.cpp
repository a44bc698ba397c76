#include "game/world/GMeshParticlesNode.h"

#include <algorithm>
#include <cmath>

#include "engine/content/CContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/ITexture.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/SColorUtils.h"
#include "engine/video/render2d/CAtlasTexture.h"

namespace brasquel {

using namespace oskel;

namespace {

constexpr f32 DegreesPerTurn = 360.0f;

}  // namespace

GMeshParticlesNode::GMeshParticlesNode(const CCreationContext& context, BaseNode* parent,
                                       SceneManager* manager, u32 capacity)
    : BaseNode(context, parent, manager), IUpdateReceiver(UpdatePeriodMs), m_capacity(capacity) {
    m_material.MaterialType = EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA;
    m_material.LayerCount = 1;
    m_material.Lighting = false;
    m_material.GouraudShading = false;
    m_material.ZWriteEnable = false;
    m_material.ZBuffer = ECFN_NEVER;
    m_mesh.PrimitiveType = EPT_TRIANGLES;
}

GMeshParticlesNode::~GMeshParticlesNode() { setUpdateSource(nullptr); }

const CPropertyTable& GMeshParticlesNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<GMeshParticlesNode>(t)
            .field<&GMeshParticlesNode::m_configurationFilename,
                   &GMeshParticlesNode::setConfigurationFilename>("ConfigurationFilename")
            .field<&GMeshParticlesNode::m_enabled, &GMeshParticlesNode::setEnabled>("Enabled")
            .accessors<&GMeshParticlesNode::getAtlasTexture, &GMeshParticlesNode::setAtlasTexture,
                       CAtlasTextureBox>("AtlasTexture");
        return t;
    }();
    return table;
}

// ---- Settings ----

void GMeshParticlesNode::setConfigurationFilename(const stringc& name) {
    m_configurationFilename = name;
    setLiveCount(0);
    auto* content = dynamic_cast<CContentManager*>(getContentManager());
    CFileSystem* files = content ? content->getFileSystem() : nullptr;
    if (!files || name.empty()) return;
    CRefPtr<CXmlReader> reader =
        CRefPtr<CXmlReader>::fromRaw(files->createXmlReader(content->getAbsolutePath(name)));
    if (!reader) return;
    const stringw root(getRootElement());
    bool inRoot = false;
    while (reader->read()) {
        const s32 type = reader->getNodeType();
        if (!inRoot) {
            if (type != XmlNodeElement) continue;
            if (reader->getNodeName() != root) {
                logWarning((stringc("Particle settings file has another root than ") +
                            stringc(root.c_str()) + ": " + name)
                               .c_str());
                return;
            }
            if (reader->isEmptyElement()) return;
            inRoot = true;
            continue;
        }
        if (type == XmlNodeElementEnd && reader->getNodeName() == root) return;
        if (type == XmlNodeElement) readSetting(*reader);
    }
}

void GMeshParticlesNode::setAtlasTexture(CAtlasTexture* atlas) {
    m_atlas.assign(atlas);
    if (!atlas) return;
    m_material.TextureLayer[0].Texture = atlas->getTextureResource();
    writeCorners(0);
}

vector2df GMeshParticlesNode::readPair(const CXmlReader& reader) {
    f32 numbers[2] = {0.0f, 0.0f};
    scanAtlasNumbers(reader.getAttributeValue(L"Value").c_str(), numbers, 2);
    return vector2df(numbers[0], numbers[1]);
}

void GMeshParticlesNode::readSettingOf(CXmlReader& reader, std::initializer_list<SPairSetting> pairs,
                                       const wchar_t* timeline,
                                       std::initializer_list<SKeysSetting> keys) {
    const stringw& name = reader.getNodeName();
    for (const SPairSetting& pair : pairs) {
        if (name == pair.element) {
            *pair.value = readPair(reader);
            return;
        }
    }
    if (name == L"PPS") {
        PPS = reader.getAttributeValueAsInt(L"Value", 0);
        return;
    }
    if (name != timeline || reader.isEmptyElement()) return;
    while (reader.read()) {
        const s32 type = reader.getNodeType();
        const stringw& inner = reader.getNodeName();
        if (type == XmlNodeElementEnd && inner == timeline) return;
        if (type != XmlNodeElement) continue;
        for (const SKeysSetting& list : keys) {
            if (inner == list.element) {
                readParticleKeys(reader, *list.keys);
                break;
            }
        }
    }
}

// ---- Copies and properties ----

void GMeshParticlesNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || source == this || source->getTypeId() != getTypeId()) return;
    const auto* other = static_cast<const GMeshParticlesNode*>(source);
    m_configurationFilename = other->m_configurationFilename;
    m_enabled = other->m_enabled;
    PPS = other->PPS;
    copySettings(*other);
    m_material = other->m_material;
    setAtlasTexture(other->m_atlas.get());
}

void GMeshParticlesNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (!m_configurationFilename.empty())
        set->addString("ConfigurationFilename", m_configurationFilename);
    if (!m_enabled) set->addBool("Enabled", false);
    if (m_atlas) set->addProperty("AtlasTexture", boxAtlasTexture(m_atlas.get()));
}

void GMeshParticlesNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    if (hasNodeProperty(set, "ConfigurationFilename"))
        setConfigurationFilename(
            getPropertyString(set->getProperty("ConfigurationFilename").get()));
    if (hasNodeProperty(set, "Enabled"))
        m_enabled = unboxPropertyBool(set->getProperty("Enabled").get());
    if (hasNodeProperty(set, "AtlasTexture"))
        setAtlasTexture(unboxAtlasTexture(set->getProperty("AtlasTexture").get()));
}

// ---- Running ----

bool GMeshParticlesNode::hasDrawableAtlas() const { return m_atlas && m_atlas->getTexture(); }

u32 GMeshParticlesNode::takeDue(u32 elapsedMs) {
    m_accumulator += elapsedMs;
    if (PPS <= 0) return 0;
    const f32 interval = 1000.0f / static_cast<f32>(PPS);
    const f32 due = static_cast<f32>(m_accumulator) / interval;
    if (!(due >= 1.0f)) return 0;
    // Every whole unit due is spent, even those beyond the room there is.
    const f32 spent = std::min(std::floor(due) * interval, static_cast<f32>(m_accumulator));
    m_accumulator -= std::min(m_accumulator, static_cast<u32>(spent));
    return due >= static_cast<f32>(m_capacity) ? m_capacity : static_cast<u32>(due);
}

f32 GMeshParticlesNode::ageRateOf(f32 lifetimeMs) {
    return lifetimeMs > 0.0f ? 1000.0f / lifetimeMs : 0.0f;
}

bool GMeshParticlesNode::update(u32 elapsedMs) {
    if (!hasDrawableAtlas()) return false;
    advance(static_cast<f32>(elapsedMs) * 0.001f);
    if (m_enabled)
        emit(elapsedMs);
    else if (getLiveCount() == 0)
        return false;
    const u32 count = getLiveCount();
    sizeMesh(count);
    if (count == 0) return true;
    const SAtlasCoords& frame = m_atlas->getTextureCoords();
    const dimension2di size = m_atlas->getTexture()->getSize();
    writeParticles(m_mesh.getVertices(), (frame.right - frame.left) * static_cast<f32>(size.Width),
                   (frame.bottom - frame.top) * static_cast<f32>(size.Height), getAbsoluteColor());
    return true;
}

void GMeshParticlesNode::render(DrawList& list) {
    if (!isVisible()) return;
    BaseNode::render(list);
    if (hasDrawableAtlas() && getLiveCount() > 0) list.push_back(SDrawItem{this, getDepth(), 0});
    if (m_enabled && !getUpdateSource() && hasDrawableAtlas()) {
        setLiveCount(0);
        m_accumulator = 0;
        emit(HeadStartMs);
        setUpdateSource(getSceneBinding().scheduler);
    }
}

void GMeshParticlesNode::renderClipped(IVideoDriver* driver, const rectf*) {
    if (!driver) return;
    if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
    matrix4 world = getAbsoluteTransform();
    if (drawsAtZeroDepth()) world[14] = 0.0f;
    driver->setTransform(ETS_WORLD, world);
    driver->setMaterial(m_material);
    driver->drawMeshBuffer(&m_mesh);
    driver->setTransform(ETS_WORLD, matrix4());
}

// ---- The mesh ----

void GMeshParticlesNode::sizeMesh(u32 count) {
    m_mesh.PrimitiveCount = 2 * count;
    array<S2DVertex>& vertices = m_mesh.vertices();
    array<u16>& indices = m_mesh.indices();
    if (vertices.size() >= VerticesPerQuad * count && indices.size() >= IndicesPerQuad * count)
        return;
    const u32 oldVertices = vertices.size();
    if (oldVertices < VerticesPerQuad * count) {
        vertices.set_used(VerticesPerQuad * count);
        for (u32 v = oldVertices; v < vertices.size(); ++v)
            vertices[v] = S2DVertex(0.0f, 0.0f, 0.0f, SColor(0xFFFFFFFFu), 0.0f, 0.0f);
        writeCorners(oldVertices);
    }
    const u32 oldQuads = indices.size() / IndicesPerQuad;
    if (indices.size() < IndicesPerQuad * count) {
        indices.set_used(IndicesPerQuad * count);
        for (u32 q = oldQuads; q < count; ++q) {
            const u16 base = static_cast<u16>(q * VerticesPerQuad);
            u16* i = &indices[q * IndicesPerQuad];
            i[0] = base;
            i[1] = static_cast<u16>(base + 1);
            i[2] = static_cast<u16>(base + 2);
            i[3] = base;
            i[4] = static_cast<u16>(base + 2);
            i[5] = static_cast<u16>(base + 3);
        }
    }
}

void GMeshParticlesNode::writeCorners(u32 firstVertex) {
    if (!m_atlas) return;
    const SAtlasCoords& f = m_atlas->getTextureCoords();
    array<S2DVertex>& vertices = m_mesh.vertices();
    for (u32 v = firstVertex; v < vertices.size(); ++v) {
        switch (v % VerticesPerQuad) {
            case 0:
                vertices[v].TCoords.set(f.left, f.top);
                break;
            case 1:
                vertices[v].TCoords.set(f.right, f.top);
                break;
            case 2:
                vertices[v].TCoords.set(f.right, f.bottom);
                break;
            default:
                vertices[v].TCoords.set(f.left, f.bottom);
                break;
        }
    }
}

void GMeshParticlesNode::writeQuad(S2DVertex* v, const vector2df& centre, f32 hx, f32 hy, f32 angle,
                                   u32 color) {
    vector2df a(-hx, -hy);
    vector2df b(hx, -hy);
    // Whole degrees of any angle, taken within one turn so that a long spin never overflows.
    const f32 turned = std::isfinite(angle) ? std::fmod(angle, DegreesPerTurn) : 0.0f;
    const s32 degrees = static_cast<s32>(turned);
    rotateVectorByDegrees(a, degrees);
    rotateVectorByDegrees(b, degrees);
    const vector2df corners[VerticesPerQuad] = {centre + a, centre + b, centre - a, centre - b};
    for (u32 k = 0; k < VerticesPerQuad; ++k) {
        v[k].Pos.X = corners[k].X;
        v[k].Pos.Y = corners[k].Y;
        v[k].Color.color = color;
    }
}

s32 GMeshParticlesNode::truncateToInt(f32 value) {
    if (!(value == value)) return 0;
    constexpr f32 Highest = 2147483520.0f;  // the largest float below 2^31
    if (value >= Highest) return 2147483520;
    if (value <= -Highest) return -2147483520;
    return static_cast<s32>(value);
}

u32 GMeshParticlesNode::particleColor(f32 alpha, u32 tint) {
    const u32 a = static_cast<u32>(truncateToInt(alpha * 255.0f)) & 0xFFu;
    return modulateColor((a << 24) | 0x00FFFFFFu, tint);
}

}  // namespace brasquel
