#include "engine/nodes/SpriteNode.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/video/ITexture.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/render2d/CAtlasTexture.h"

namespace oskel {

namespace {

constexpr s32 MaxWrapType = ETW_MIRRORED_REPEAT;
constexpr f32 QuadDepth = 1.0f;

// The draw list key of a texture: sprites of one texture sort together.
u32 textureKey(const ITexture* texture) {
    return static_cast<u32>(reinterpret_cast<uintptr_t>(texture));
}

}  // namespace

SpriteNode::SpriteNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : BaseNode(context, parent, manager), m_material(makeNodeMaterial(ETW_CLAMP, true, false, 0)) {
    m_quad.Material = &m_material;
    for (S2DVertex& corner : m_quad.Corners)
        corner = S2DVertex(0.0f, 0.0f, QuadDepth, SColor(getAbsoluteColor()), 0.0f, 0.0f);
}

SpriteNode::~SpriteNode() = default;

const CPropertyTable& SpriteNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<SpriteNode>(t)
            .field<&SpriteNode::m_stretchX, &SpriteNode::setImageStretchX>("ImageStretchX")
            .field<&SpriteNode::m_stretchY, &SpriteNode::setImageStretchY>("ImageStretchY")
            .field<&SpriteNode::m_imagePivot, &SpriteNode::setImagePivotPoint>("ImagePivotPoint")
            .accessors<&SpriteNode::getWrapType, &SpriteNode::setWrapType>("WrapType")
            .field<&SpriteNode::m_flipX, &SpriteNode::setFlipX>("FlipX")
            .field<&SpriteNode::m_flipY, &SpriteNode::setFlipY>("FlipY")
            .field<&SpriteNode::m_blendType, &SpriteNode::setBlendType>("BlendType")
            .accessors<&SpriteNode::getAtlasTexture, &SpriteNode::setAtlasTexture,
                       CAtlasTextureBox>("AtlasTexture");
        return t;
    }();
    return table;
}

BaseNode* SpriteNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<SpriteNode>(this, parent, manager);
}

const stringw& SpriteNode::getClassName() const {
    static const stringw name(L"SpriteNode");
    return name;
}

const stringw& SpriteNode::getThisClassName() const {
    static const stringw name(L"SpriteNode");
    return name;
}

// ---- Settings ----

void SpriteNode::setAtlasTexture(CAtlasTexture* texture) {
    m_texture.assign(texture);
    if (!texture) {
        // Nothing is drawn without a texture; the material lets go of the page as well.
        m_material.TextureLayer[0].Texture = nullptr;
        return;
    }
    if (m_material.LayerCount > 0)
        m_material.TextureLayer[0].Texture = texture->getTextureResource();
    updateImageRect();
}

void SpriteNode::setImageStretchX(s32 mode) {
    m_stretchX = mode;
    updateImageRect();
}

void SpriteNode::setImageStretchY(s32 mode) {
    m_stretchY = mode;
    updateImageRect();
}

void SpriteNode::setBlendType(s32 type) {
    m_blendType = type == BlendAdditive ? BlendAdditive : BlendNormal;
    m_material.MaterialType = m_blendType == BlendAdditive
                                  ? EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD
                                  : EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA;
}

void SpriteNode::setWrapType(s32 type) {
    if (type < 0 || type > MaxWrapType) return;
    m_material.TextureLayer[0].TextureWrap = static_cast<u8>(type);
}

// ---- The quad ----

SpriteNode::SSpan SpriteNode::spanOf(s32 mode, f32 trim, f32 pivot, f32 frameSize,
                                     f32 boundsSize) const {
    SSpan span;
    span.start = trim - pivot;
    span.texelStart = 0.0f;
    span.texelEnd = frameSize;
    if (mode == StretchToBounds) {
        span.end = span.start + boundsSize;
    } else if (mode == StretchCrop) {
        const f32 left = span.start;
        span.start = std::max(left, 0.0f);
        span.end = std::min(left + frameSize, boundsSize);
        // A frame wholly outside the Bounds keeps nothing: the quad closes up.
        if (span.end < span.start) span.end = span.start;
        span.texelStart = span.start - left;
        span.texelEnd = span.end - left;
    } else {
        span.end = span.start + frameSize;
    }
    return span;
}

void SpriteNode::updateImageRect() {
    if (!m_texture) return;
    ITexture* texture = m_texture->getTexture();
    if (!texture) return;
    const SAtlasCoords& frame = m_texture->getTextureCoords();
    const dimension2di& size = texture->getSize();
    const f32 frameWidth = (frame.right - frame.left) * static_cast<f32>(size.Width);
    const f32 frameHeight = (frame.bottom - frame.top) * static_cast<f32>(size.Height);
    const vector2df& trim = m_texture->getBefore();

    if (m_stretchX == StretchFitBounds) setBounds(frameWidth, getBounds().Y);
    if (m_stretchY == StretchFitBounds) setBounds(getBounds().X, frameHeight);
    const SSpan x = spanOf(m_stretchX, trim.X, m_imagePivot.X, frameWidth, getBounds().X);
    const SSpan y = spanOf(m_stretchY, trim.Y, m_imagePivot.Y, frameHeight, getBounds().Y);

    // The frame's texture coordinates over the spans (the crop cuts before the flips swap).
    auto texCoord = [](f32 from, f32 to, f32 texel, f32 frameSize) {
        return frameSize > 0.0f ? from + (to - from) * texel / frameSize : from;
    };
    f32 u0 = texCoord(frame.left, frame.right, x.texelStart, frameWidth);
    f32 u1 = texCoord(frame.left, frame.right, x.texelEnd, frameWidth);
    f32 v0 = texCoord(frame.top, frame.bottom, y.texelStart, frameHeight);
    f32 v1 = texCoord(frame.top, frame.bottom, y.texelEnd, frameHeight);
    if (m_flipX) std::swap(u0, u1);
    if (m_flipY) std::swap(v0, v1);

    const matrix4& m = getAbsoluteTransform();
    const f32 xs[4] = {x.start, x.end, x.end, x.start};
    const f32 ys[4] = {y.start, y.start, y.end, y.end};
    const f32 us[4] = {u0, u1, u1, u0};
    const f32 vs[4] = {v0, v0, v1, v1};
    for (u32 i = 0; i < 4; ++i) {
        S2DVertex& corner = m_quad.Corners[i];
        corner.Pos.X = xs[i] * m[0] + ys[i] * m[4] + m[12];
        corner.Pos.Y = xs[i] * m[1] + ys[i] * m[5] + m[13];
        corner.Pos.Z = QuadDepth;
        corner.TCoords.set(us[i], vs[i]);
    }
}

void SpriteNode::updateAbsoluteTransform() {
    BaseNode::updateAbsoluteTransform();
    updateImageRect();
}

void SpriteNode::updateAbsoluteColor() {
    BaseNode::updateAbsoluteColor();
    const SColor color(getAbsoluteColor());
    for (S2DVertex& corner : m_quad.Corners) corner.Color = color;
}

// ---- Drawing and hits ----

void SpriteNode::render(DrawList& list) {
    if (!isVisible()) return;
    if (isTransformDirty()) updateAbsoluteTransform();
    if (isColorDirty()) updateAbsoluteColor();
    ITexture* texture = m_texture ? m_texture->getTexture() : nullptr;
    if (texture && (getAbsoluteColor() >> 24) != 0)
        list.push_back(SDrawItem{this, getDepth(), textureKey(texture)});
    for (BaseNode* child : getChildren()) child->render(list);
}

void SpriteNode::renderClipped(IVideoDriver* driver, const rectf*) {
    if (!driver) return;
    if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->addQuad(&m_quad);
}

bool SpriteNode::hitTest(const vector2df& point) const {
    if (!canBeHit() || !isVisible() || (getTintColor() >> 24) <= HitAlphaThreshold || !m_texture)
        return false;
    ITexture* texture = m_texture->getTexture();
    if (!texture) return false;

    // The point in the node's own space.
    vector3df local(point.X, point.Y, 0.0f);
    if (!isAbsoluteIdentity()) {
        matrix4 inverse;
        if (!getAbsoluteTransform().getInverse(inverse)) return false;
        inverse.transformVect(local);
    }

    const SAtlasCoords& frame = m_texture->getTextureCoords();
    const dimension2di& size = texture->getSize();
    const f32 frameWidth = (frame.right - frame.left) * static_cast<f32>(size.Width);
    const f32 frameHeight = (frame.bottom - frame.top) * static_cast<f32>(size.Height);
    if (!(frameWidth > 0.0f) || !(frameHeight > 0.0f)) return false;
    const vector2df& trim = m_texture->getBefore();
    const SSpan x = spanOf(m_stretchX, trim.X, m_imagePivot.X, frameWidth, getBounds().X);
    const SSpan y = spanOf(m_stretchY, trim.Y, m_imagePivot.Y, frameHeight, getBounds().Y);

    // The frame texel the quad shows at a coordinate, as drawing maps it; -1 off the quad.
    auto texelAt = [](const SSpan& span, f32 at, bool flip, f32 frameSize) -> s32 {
        if (!(span.end > span.start) || !(at >= span.start) || !(at < span.end)) return -1;
        const f32 t = (at - span.start) / (span.end - span.start);
        const f32 texels = span.texelEnd - span.texelStart;
        const f32 texel = flip ? std::ceil(span.texelEnd - t * texels) - 1.0f
                               : std::floor(span.texelStart + t * texels);
        if (!(texel >= 0.0f) || !(texel < frameSize)) return -1;
        return static_cast<s32>(texel);
    };
    const s32 tx = texelAt(x, local.X, m_flipX, frameWidth);
    const s32 ty = texelAt(y, local.Y, m_flipY, frameHeight);
    if (tx < 0 || ty < 0) return false;
    // The frame's origin on the page is a whole texel.
    const s32 originX =
        static_cast<s32>(std::floor(frame.left * static_cast<f32>(size.Width) + 0.5f));
    const s32 originY =
        static_cast<s32>(std::floor(frame.top * static_cast<f32>(size.Height) + 0.5f));
    return texture->isPixelOpaque(static_cast<u32>(originX + tx), static_cast<u32>(originY + ty),
                                  HitAlphaThreshold);
}

// ---- Copies and properties ----

void SpriteNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    const auto* other = dynamic_cast<const SpriteNode*>(source);
    if (other && other != this) {
        m_stretchX = other->m_stretchX;
        m_stretchY = other->m_stretchY;
        m_material.TextureLayer[0].TextureWrap = other->m_material.TextureLayer[0].TextureWrap;
        m_flipX = other->m_flipX;
        m_flipY = other->m_flipY;
        m_imagePivot = other->m_imagePivot;
        setBlendType(other->m_blendType);
        setAtlasTexture(other->m_texture.get());
    }
    updateImageRect();
}

void SpriteNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    // Mode 2 has fitted the Bounds already, which the base saves.
    if (m_stretchX == StretchToBounds || m_stretchX == StretchCrop)
        set->addInt("ImageStretchX", m_stretchX);
    if (m_stretchY == StretchToBounds || m_stretchY == StretchCrop)
        set->addInt("ImageStretchY", m_stretchY);
    if (m_imagePivot.X != 0.0f || m_imagePivot.Y != 0.0f)
        set->addVector2d("ImagePivotPoint", m_imagePivot);
    if (getWrapType() != DefaultWrapType) set->addInt("WrapType", getWrapType());
    if (m_flipX) set->addBool("FlipX", true);
    if (m_flipY) set->addBool("FlipY", true);
    if (m_blendType != BlendNormal) set->addInt("BlendType", m_blendType);
    if (m_texture) set->addProperty("AtlasTexture", boxAtlasTexture(m_texture.get()));
}

void SpriteNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    auto value = [set](const char* name) { return set->getProperty(name); };
    if (hasNodeProperty(set, "ImageStretchX"))
        setImageStretchX(unboxPropertyInt(value("ImageStretchX").get()));
    if (hasNodeProperty(set, "ImageStretchY"))
        setImageStretchY(unboxPropertyInt(value("ImageStretchY").get()));
    if (hasNodeProperty(set, "ImagePivotPoint"))
        m_imagePivot = unboxPropertyVector2d(value("ImagePivotPoint").get());
    if (hasNodeProperty(set, "WrapType")) {
        const CRefPtr<IPropertyData> wrap = value("WrapType");
        if (wrap && wrap->getTypeId() == PropertyTypeInt)
            setWrapType(unboxPropertyInt(wrap.get()));
        else
            setWrapType(0);
    }
    if (hasNodeProperty(set, "FlipX")) m_flipX = unboxPropertyBool(value("FlipX").get());
    if (hasNodeProperty(set, "FlipY")) m_flipY = unboxPropertyBool(value("FlipY").get());
    if (hasNodeProperty(set, "BlendType")) setBlendType(unboxPropertyInt(value("BlendType").get()));
    if (hasNodeProperty(set, "AtlasTexture"))
        setAtlasTexture(unboxAtlasTexture(value("AtlasTexture").get()));
    updateImageRect();
}

}  // namespace oskel
