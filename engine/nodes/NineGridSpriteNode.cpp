#include "engine/nodes/NineGridSpriteNode.h"

#include <cstdint>

#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/video/ITexture.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/render2d/CAtlasTexture.h"

namespace oskel {

namespace {

const vector2df DefaultDelta(10.0f, 10.0f);

bool isDefaultDelta(const vector2df& delta) {
    return delta.X == DefaultDelta.X && delta.Y == DefaultDelta.Y;
}

}  // namespace

NineGridSpriteNode::NineGridSpriteNode(const CCreationContext& context, BaseNode* parent,
                                       SceneManager* manager)
    : BaseNode(context, parent, manager), m_material(makeNodeMaterial(ETW_CLAMP, true, false, 0)) {
    for (SQuad& quad : m_quads) {
        quad.Material = &m_material;
        for (S2DVertex& corner : quad.Corners)
            corner = S2DVertex(0.0f, 0.0f, 0.0f, SColor(0xffffffffu), 0.0f, 0.0f);
    }
}

NineGridSpriteNode::~NineGridSpriteNode() = default;

const CPropertyTable& NineGridSpriteNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<NineGridSpriteNode>(t)
            .accessors<&NineGridSpriteNode::getAtlasTexture, &NineGridSpriteNode::setAtlasTexture,
                       CAtlasTextureBox>("AtlasTexture")
            .field<&NineGridSpriteNode::m_topLeft>("TopLeftDelta")
            .field<&NineGridSpriteNode::m_bottomRight>("BottomRightDelta");
        return t;
    }();
    return table;
}

BaseNode* NineGridSpriteNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<NineGridSpriteNode>(this, parent, manager);
}

const stringw& NineGridSpriteNode::getClassName() const {
    static const stringw name(L"NineGridSpriteNode");
    return name;
}

const stringw& NineGridSpriteNode::getThisClassName() const {
    static const stringw name(L"NineGridSpriteNode");
    return name;
}

void NineGridSpriteNode::setAtlasTexture(CAtlasTexture* texture) {
    m_texture.assign(texture);
    if (texture && m_material.LayerCount > 0)
        m_material.TextureLayer[0].Texture = texture->getTextureResource();
    if (!texture) m_material.TextureLayer[0].Texture = nullptr;
}

void NineGridSpriteNode::updateGrid() {
    if (!m_texture) return;
    ITexture* texture = m_texture->getTexture();
    if (!texture) return;
    const dimension2di& size = texture->getSize();
    const f32 w = size.Width > 0 ? static_cast<f32>(size.Width) : 1.0f;
    const f32 h = size.Height > 0 ? static_cast<f32>(size.Height) : 1.0f;
    const SAtlasCoords& frame = m_texture->getTextureCoords();
    const vector3df& bounds = getBounds();

    const f32 xs[4] = {0.0f, m_topLeft.X, bounds.X - m_bottomRight.X, bounds.X};
    const f32 ys[4] = {0.0f, m_topLeft.Y, bounds.Y - m_bottomRight.Y, bounds.Y};
    const f32 us[4] = {frame.left, frame.left + m_topLeft.X / w, frame.right - m_bottomRight.X / w,
                       frame.right};
    const f32 vs[4] = {frame.top, frame.top + m_topLeft.Y / h, frame.bottom - m_bottomRight.Y / h,
                       frame.bottom};
    const SColor color(getAbsoluteColor());
    const matrix4& m = getAbsoluteTransform();
    auto place = [&](S2DVertex& corner, u32 column, u32 row) {
        const f32 x = xs[column];
        const f32 y = ys[row];
        corner.Pos.set(x * m[0] + y * m[4] + m[12], x * m[1] + y * m[5] + m[13], 0.0f);
        corner.Color = color;
        corner.TCoords.set(us[column], vs[row]);
    };
    for (u32 r = 0; r < 3; ++r) {
        for (u32 c = 0; c < 3; ++c) {
            SQuad& quad = m_quads[r * 3 + c];
            place(quad.Corners[0], c, r);
            place(quad.Corners[1], c + 1, r);
            place(quad.Corners[2], c + 1, r + 1);
            place(quad.Corners[3], c, r + 1);
        }
    }
}

void NineGridSpriteNode::render(DrawList& list) {
    if (!isVisible()) return;
    if (isTransformDirty()) updateAbsoluteTransform();
    if (isColorDirty()) updateAbsoluteColor();
    ITexture* texture = m_texture ? m_texture->getTexture() : nullptr;
    if (texture && (getAbsoluteColor() >> 24) != 0)
        list.push_back(
            SDrawItem{this, getDepth(), static_cast<u32>(reinterpret_cast<uintptr_t>(texture))});
    for (BaseNode* child : getChildren()) child->render(list);
}

void NineGridSpriteNode::renderClipped(IVideoDriver* driver, const rectf*) {
    if (!driver || !m_texture || !m_texture->getTexture()) return;
    updateGrid();
    CQuadBatcher* batcher = driver->getQuadBatcher();
    if (!batcher) return;
    for (const SQuad& quad : m_quads) batcher->addQuad(&quad);
}

bool NineGridSpriteNode::hitTest(const vector2df& point) const {
    return canBeHit() && isVisible() && (getTintColor() >> 24) > HitAlphaThreshold &&
           isPointInBounds(point);
}

void NineGridSpriteNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    const auto* other = dynamic_cast<const NineGridSpriteNode*>(source);
    if (!other || other == this) return;
    m_topLeft = other->m_topLeft;
    m_bottomRight = other->m_bottomRight;
    setAtlasTexture(other->m_texture.get());
}

void NineGridSpriteNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (m_texture) set->addProperty("AtlasTexture", boxAtlasTexture(m_texture.get()));
    if (!isDefaultDelta(m_topLeft)) set->addVector2d("TopLeftDelta", m_topLeft);
    if (!isDefaultDelta(m_bottomRight)) set->addVector2d("BottomRightDelta", m_bottomRight);
}

void NineGridSpriteNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    if (hasNodeProperty(set, "TopLeftDelta"))
        m_topLeft = unboxPropertyVector2d(set->getProperty("TopLeftDelta").get());
    if (hasNodeProperty(set, "BottomRightDelta"))
        m_bottomRight = unboxPropertyVector2d(set->getProperty("BottomRightDelta").get());
    if (hasNodeProperty(set, "AtlasTexture"))
        setAtlasTexture(unboxAtlasTexture(set->getProperty("AtlasTexture").get()));
}

}  // namespace oskel
