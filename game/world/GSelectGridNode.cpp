#include "game/world/GSelectGridNode.h"

#include "engine/core/CLogger.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertySet.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/SColorUtils.h"
#include "game/config/GNodeTypeIds.h"

namespace brasquel {

using namespace oskel;

namespace {

const vector2df DefaultCellSize(40.0f, 40.0f);
constexpr u32 FillVertices = 4;
constexpr u32 FillTriangles = 2;

}  // namespace

GSelectGridNode::GSelectGridNode(const CCreationContext& context, BaseNode* parent,
                                 SceneManager* manager)
    : BaseNode(context, parent, manager) {
    m_material.MaterialType = EMT_TRANSPARENT_VERTEX_ALPHA;
    m_material.LayerCount = 1;
    m_material.TextureLayer[0].Texture = nullptr;
    m_material.Lighting = false;
    m_material.GouraudShading = false;
    m_material.ZWriteEnable = false;
    m_material.ZBuffer = ECFN_NEVER;
}

GSelectGridNode::~GSelectGridNode() = default;

const CPropertyTable& GSelectGridNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<GSelectGridNode>(t)
            .field<&GSelectGridNode::GridColor, &GSelectGridNode::setGridColor, CColorBox>(
                "GridColor")
            .field<&GSelectGridNode::FillColor, &GSelectGridNode::setFillColor, CColorBox>(
                "FillColor")
            .field<&GSelectGridNode::CellSize>("CellSize");
        return t;
    }();
    return table;
}

BRASQUEL_DEFINE_NODE_CLASS(GSelectGridNode, GameNodeTypeSelectGridNode, BaseNode)

void GSelectGridNode::setGridColor(u32 color) {
    GridColor = color;
    markColorDirty();
}

void GSelectGridNode::setFillColor(u32 color) {
    FillColor = color;
    markColorDirty();
}

void GSelectGridNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || source == this || !source->isKindOf(GameNodeTypeSelectGridNode)) return;
    const auto* other = static_cast<const GSelectGridNode*>(source);
    GridColor = other->GridColor;
    FillColor = other->FillColor;
    CellSize = other->CellSize;
}

void GSelectGridNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (GridColor != 0) set->addColor("GridColor", SColor(GridColor));
    if (FillColor != 0) set->addColor("FillColor", SColor(FillColor));
    if (CellSize.X != 0.0f || CellSize.Y != 0.0f) set->addVector2d("CellSize", CellSize);
}

void GSelectGridNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    if (hasNodeProperty(set, "GridColor"))
        GridColor = unboxPropertyColor(set->getProperty("GridColor").get()).color;
    if (hasNodeProperty(set, "FillColor"))
        FillColor = unboxPropertyColor(set->getProperty("FillColor").get()).color;
    if (hasNodeProperty(set, "CellSize"))
        CellSize = unboxPropertyVector2d(set->getProperty("CellSize").get());
    markTransformDirty();
    markColorDirty();
}

bool GSelectGridNode::addLines(f32 length, f32 cell, bool vertical, f32 across) {
    // A step of no length (or a negative one) would never reach the end: that direction has no
    // lines.
    if (!(length >= 0.0f) || !(cell > 0.0f)) return true;
    const SColor color(GridColor);
    const vector2df none(0.0f, 0.0f);
    u32 made = 0;
    for (f32 at = 0.0f; at <= length; at += cell) {
        if (made == MaxLines) return false;
        if (vertical) {
            m_lines.emplace_back(vector3df(at, 0.0f, 0.0f), color, none);
            m_lines.emplace_back(vector3df(at, across, 0.0f), color, none);
        } else {
            m_lines.emplace_back(vector3df(0.0f, at, 0.0f), color, none);
            m_lines.emplace_back(vector3df(across, at, 0.0f), color, none);
        }
        ++made;
        // A cell too small to move the sum on any more ends the walk.
        if (at + cell == at) break;
    }
    return true;
}

void GSelectGridNode::updateAbsoluteTransform() {
    BaseNode::updateAbsoluteTransform();
    const f32 w = getBounds().X;
    const f32 h = getBounds().Y;
    m_lines.clear();
    const bool across = addLines(w, CellSize.X, true, h);
    const bool down = addLines(h, CellSize.Y, false, w);
    if (!across || !down)
        logWarning("Selection grid cells too small for its bounds: the lines are cut");
}

void GSelectGridNode::updateAbsoluteColor() {
    BaseNode::updateAbsoluteColor();
    for (S2DVertex& v : m_lines) v.Color.color = GridColor;
}

void GSelectGridNode::render(DrawList& list) {
    if (!isVisible()) return;
    if (isTransformDirty()) updateAbsoluteTransform();
    if (isColorDirty()) updateAbsoluteColor();
    if ((getAbsoluteColor() >> 24) != 0) list.push_back(SDrawItem{this, getDepth(), 0});
    for (BaseNode* child : getChildren()) child->render(list);
}

void GSelectGridNode::renderClipped(IVideoDriver* driver, const rectf*) {
    if (!driver) return;
    const u32 fill = modulateColor(FillColor, getAbsoluteColor());
    const u32 grid = modulateColor(GridColor, getAbsoluteColor());
    if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
    driver->set2DRenderMode();
    driver->setMaterial(m_material);
    matrix4 world = getAbsoluteTransform();
    world[14] = 0.0f;
    driver->setTransform(ETS_WORLD, world);
    if ((fill >> 24) != 0) {
        const f32 w = getBounds().X;
        const f32 h = getBounds().Y;
        const SColor color(fill);
        const S2DVertex quad[FillVertices] = {S2DVertex(0.0f, 0.0f, 0.0f, color, 0.0f, 0.0f),
                                              S2DVertex(w, 0.0f, 0.0f, color, 0.0f, 0.0f),
                                              S2DVertex(w, h, 0.0f, color, 0.0f, 0.0f),
                                              S2DVertex(0.0f, h, 0.0f, color, 0.0f, 0.0f)};
        driver->drawVertexPrimitiveList(quad, FillVertices, nullptr, FillTriangles, EVT_2D,
                                        EPT_TRIANGLE_FAN);
    }
    if ((grid >> 24) != 0 && m_lines.size() >= 2) {
        const u32 n = static_cast<u32>(m_lines.size());
        driver->drawVertexPrimitiveList(m_lines.data(), n, nullptr, n / 2, EVT_2D, EPT_LINES);
    }
    driver->setTransform(ETS_WORLD, matrix4());
}

}  // namespace brasquel
