#include "game/world/GRectangleNode.h"

#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyTableBuilder.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/SColorUtils.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GNodeDrawing.h"

namespace brasquel {

using namespace oskel;

namespace {

// The outline's lines: top, right, bottom and left edge over the five corners.
const u16 kBorderIndices[GRectangleNode::BorderLineCount * 2] = {0, 1, 1, 2, 2, 3, 3, 4};

bool hasAlpha(u32 argb) { return (argb >> 24) != 0; }

}  // namespace

GRectangleNode::GRectangleNode(const CCreationContext& context, BaseNode* parent,
                               SceneManager* manager)
    : BaseNode(context, parent, manager) {
    m_material.MaterialType = EMT_TRANSPARENT_VERTEX_ALPHA;
    m_material.LayerCount = 0;
    m_material.Lighting = false;
    m_material.GouraudShading = false;
    m_material.ZWriteEnable = false;
    m_material.ZBuffer = ECFN_NEVER;
}

GRectangleNode::~GRectangleNode() = default;

const CPropertyTable& GRectangleNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<GRectangleNode>(t)
            .field<&GRectangleNode::BorderColor, CColorBox>("BorderColor")
            .field<&GRectangleNode::FillColor, CColorBox>("FillColor");
        return t;
    }();
    return table;
}

BRASQUEL_DEFINE_NODE_CLASS(GRectangleNode, GameNodeTypeRectangleNode, BaseNode)

void GRectangleNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || source == this || !source->isKindOf(GameNodeTypeRectangleNode)) return;
    const auto* other = static_cast<const GRectangleNode*>(source);
    BorderColor = other->BorderColor;
    FillColor = other->FillColor;
}

void GRectangleNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (BorderColor != 0) set->addColor("BorderColor", SColor(BorderColor));
    if (FillColor != 0) set->addColor("FillColor", SColor(FillColor));
}

void GRectangleNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    if (hasNodeProperty(set, "BorderColor"))
        BorderColor = unboxPropertyColor(set->getProperty("BorderColor").get()).color;
    if (hasNodeProperty(set, "FillColor"))
        FillColor = unboxPropertyColor(set->getProperty("FillColor").get()).color;
}

void GRectangleNode::render(DrawList& list) {
    if (!isVisible()) return;
    if (isTransformDirty()) updateAbsoluteTransform();
    if (isColorDirty()) updateAbsoluteColor();
    if (hasAlpha(getAbsoluteColor())) list.push_back(SDrawItem{this, getDepth(), 0});
    for (BaseNode* child : getChildren()) child->render(list);
}

void GRectangleNode::renderClipped(IVideoDriver* driver, const rectf*) {
    if (!driver) return;
    const SColor border(modulateColor(BorderColor, getAbsoluteColor()));
    const SColor fill(modulateColor(FillColor, getAbsoluteColor()));
    if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
    driver->setMaterial(m_material);
    driver->set2DRenderMode();
    driver->setTransform(ETS_WORLD, getAbsoluteTransform());

    // The box both parts trace runs from 1 to the width and height on each axis.
    const f32 w = getBounds().X;
    const f32 h = getBounds().Y;
    if (hasAlpha(fill.color)) {
        const S2DVertex quad[FillVertexCount] = {S2DVertex(1.0f, 1.0f, 0.0f, fill, 0.0f, 0.0f),
                                                 S2DVertex(w, 1.0f, 0.0f, fill, 0.0f, 0.0f),
                                                 S2DVertex(w, h, 0.0f, fill, 0.0f, 0.0f),
                                                 S2DVertex(1.0f, h, 0.0f, fill, 0.0f, 0.0f)};
        driver->drawVertexPrimitiveList(quad, FillVertexCount, nullptr, FillTriangleCount, EVT_2D,
                                        EPT_TRIANGLE_FAN);
    }
    if (hasAlpha(border.color)) {
        const f32 x0 = getDiagonalScale(getAbsoluteTransform()).X > FullTopEdgeScale ? 0.0f : 1.0f;
        const S2DVertex outline[BorderVertexCount] = {
            S2DVertex(x0, 1.0f, 0.0f, border, 0.0f, 0.0f),
            S2DVertex(w, 1.0f, 0.0f, border, 0.0f, 0.0f),
            S2DVertex(w, h, 0.0f, border, 0.0f, 0.0f),
            S2DVertex(1.0f, h, 0.0f, border, 0.0f, 0.0f),
            S2DVertex(1.0f, 1.0f, 0.0f, border, 0.0f, 0.0f)};
        driver->drawVertexPrimitiveList(outline, BorderVertexCount, kBorderIndices,
                                        BorderLineCount, EVT_2D, EPT_LINES);
    }
    driver->setTransform(ETS_WORLD, getIdentityMatrix());
}

}  // namespace brasquel
