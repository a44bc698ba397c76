#include "game/level/GEllipseSectorNode.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/core/StringUtils.h"
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

using Degrees = std::int64_t;

constexpr u32 DefaultFillColor = 0xFFFFFFFFu;
constexpr s32 DefaultAngle1 = 0;
constexpr s32 DefaultAngle2 = 360;
constexpr s32 DefaultMaxVerticesCount = 32;
constexpr Degrees FullTurn = 360;
constexpr Degrees QuarterTurn = 90;

// The sine of whole degrees, any integer wrapped into one turn.
f32 sineOfWholeDegrees(Degrees degrees) {
    Degrees wrapped = degrees % FullTurn;
    if (wrapped < 0) wrapped += FullTurn;
    return sineOfDegrees(static_cast<u32>(wrapped));
}

// Truncation toward zero of an angle that may lie beyond the int range.
Degrees wholeDegrees(f64 angle) { return static_cast<Degrees>(std::trunc(angle)); }

}  // namespace

GEllipseSectorNode::GEllipseSectorNode(const CCreationContext& context, BaseNode* parent,
                                       SceneManager* manager)
    : BaseNode(context, parent, manager) {
    m_material.MaterialType = EMT_TRANSPARENT_VERTEX_ALPHA;
    m_material.LayerCount = 1;
    m_material.TextureLayer[0].Texture = nullptr;
    m_material.TextureLayer[0].BilinearFilter = true;
    m_material.Lighting = false;
    m_material.GouraudShading = false;
    m_material.ZWriteEnable = false;
    m_material.ZBuffer = ECFN_NEVER;
}

GEllipseSectorNode::~GEllipseSectorNode() = default;

const CPropertyTable& GEllipseSectorNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<GEllipseSectorNode>(t)
            .field<&GEllipseSectorNode::FillColor, CColorBox>("FillColor")
            .field<&GEllipseSectorNode::Angle1>("Angle1")
            .field<&GEllipseSectorNode::Angle2>("Angle2")
            .field<&GEllipseSectorNode::MaxVerticesCount>("MaxVerticesCount");
        return t;
    }();
    return table;
}

BaseNode* GEllipseSectorNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<GEllipseSectorNode>(this, parent, manager);
}

const stringw& GEllipseSectorNode::getClassName() const {
    static const stringw name(L"GEllipseSectorNode");
    return name;
}

const stringw& GEllipseSectorNode::getThisClassName() const {
    static const stringw name(L"GEllipseSectorNode");
    return name;
}

s32 GEllipseSectorNode::getTypeId() const { return GameNodeTypeEllipseSectorNode; }

bool GEllipseSectorNode::isKindOf(s32 typeId) const {
    return typeId == GameNodeTypeEllipseSectorNode || typeId == NodeTypeBase;
}

void GEllipseSectorNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    if (!source || !source->isKindOf(GameNodeTypeEllipseSectorNode)) return;
    const auto* other = static_cast<const GEllipseSectorNode*>(source);
    FillColor = other->FillColor;
    Angle1 = other->Angle1;
    Angle2 = other->Angle2;
}

void GEllipseSectorNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (FillColor != DefaultFillColor) set->addColor("FillColor", SColor(FillColor));
    if (Angle1 != DefaultAngle1) set->addInt("Angle1", Angle1);
    if (Angle2 != DefaultAngle2) set->addInt("Angle2", Angle2);
    if (MaxVerticesCount != DefaultMaxVerticesCount)
        set->addInt("MaxVerticesCount", MaxVerticesCount);
}

void GEllipseSectorNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    if (hasNodeProperty(set, "FillColor"))
        FillColor = unboxPropertyColor(set->getProperty("FillColor").get()).color;
    if (hasNodeProperty(set, "Angle1")) Angle1 = unboxPropertyInt(set->getProperty("Angle1").get());
    if (hasNodeProperty(set, "Angle2")) Angle2 = unboxPropertyInt(set->getProperty("Angle2").get());
    if (hasNodeProperty(set, "MaxVerticesCount"))
        MaxVerticesCount = unboxPropertyInt(set->getProperty("MaxVerticesCount").get());
}

void GEllipseSectorNode::render(DrawList& list) {
    if (!isVisible()) return;
    if (isTransformDirty()) updateAbsoluteTransform();
    if (isColorDirty()) updateAbsoluteColor();
    if ((getAbsoluteColor() >> 24) != 0) list.push_back(SDrawItem{this, getDepth(), 0});
    for (BaseNode* child : getChildren()) child->render(list);
}

void GEllipseSectorNode::buildFan(std::vector<S2DVertex>& out) const {
    out.clear();
    const matrix4& m = getAbsoluteTransform();
    const vector2df scale = getDiagonalScale(m);
    const f32 rx = getBounds().X * scale.X * 0.5f;
    const f32 ry = getBounds().Y * scale.Y * 0.5f;
    const f32 cx = m[12] + rx;
    const f32 cy = m[13] + ry;
    const SColor color(modulateColor(FillColor, getAbsoluteColor()));
    const vector2df origin(0.0f, 0.0f);
    auto rim = [&](Degrees d) {
        out.emplace_back(vector3df(cx + sineOfWholeDegrees(d) * rx,
                                   cy - sineOfWholeDegrees(d + QuarterTurn) * ry, 0.0f),
                         color, origin);
    };
    out.emplace_back(vector3df(cx, cy, 0.0f), color, origin);

    const s32 count = std::max(MaxVerticesCount, 1);
    const f32 step = 360.0f / static_cast<f32>(count);
    const Degrees range = static_cast<Degrees>(Angle2) - static_cast<Degrees>(Angle1);
    if (range > 0) {
        // The sweep counted in steps as an integer: how many rim points lie before the end.
        const f64 stepD = 360.0 / static_cast<f64>(count);
        const f64 expected = std::ceil(static_cast<f64>(range) / stepD);
        bool done = false;
        if (expected <= static_cast<f64>(MaxRimVertices)) {
            // An ordinary sweep: the float walk of whole steps, as long as it keeps growing.
            f32 a = static_cast<f32>(Angle1);
            u32 made = 0;
            done = true;
            while (static_cast<f32>(Angle2) > a) {
                if (made == MaxRimVertices || !(a + step > a)) {
                    done = false;
                    break;
                }
                rim(wholeDegrees(a));
                ++made;
                a += step;
            }
            if (!done) out.resize(1);
        }
        if (!done) {
            // A sweep too wide for the rim, or one a float cannot walk: steps of at least the
            // rim's share, counted and placed in double precision.
            const f64 wide = std::max(stepD, static_cast<f64>(range) / MaxRimVertices);
            for (u32 k = 0; k < MaxRimVertices; ++k) {
                const f64 a = static_cast<f64>(Angle1) + wide * k;
                if (!(a < static_cast<f64>(Angle2))) break;
                rim(wholeDegrees(a));
            }
        }
    }
    rim(Angle2);
}

void GEllipseSectorNode::renderClipped(IVideoDriver* driver, const rectf*) {
    std::vector<S2DVertex>().swap(m_vertices);
    buildFan(m_vertices);
    if (!driver || m_vertices.size() <= 2) return;
    if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
    driver->setTransform(ETS_WORLD, getIdentityMatrix());
    driver->setMaterial(m_material);
    driver->set2DRenderMode();
    const u32 n = static_cast<u32>(m_vertices.size());
    driver->drawVertexPrimitiveList(m_vertices.data(), n, nullptr, n - 2, EVT_2D, EPT_TRIANGLE_FAN);
}

}  // namespace brasquel
