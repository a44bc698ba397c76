#pragma once

#include <vector>

#include "engine/scene/BaseNode.h"
#include "engine/video/S2DVertex.h"
#include "engine/video/SMaterial.h"

namespace brasquel {

// A filled sector of the ellipse inside the node's Bounds, running clockwise from Angle1 to
// Angle2 (whole degrees, 0 at twelve o'clock), in one colour: the dial of the game's clocks.
// The owner writes the four values directly; the next draw uses them. The ellipse stays
// axis-aligned on the screen whatever the rotation of its parents.
class GEllipseSectorNode : public oskel::BaseNode {
public:
    // The rim vertices of one draw never exceed this; a wider sweep takes larger steps.
    static constexpr oskel::u32 MaxRimVertices = 4096;

    GEllipseSectorNode(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                       oskel::SceneManager* manager = nullptr);
    ~GEllipseSectorNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override;
    bool isKindOf(oskel::s32 typeId) const override;

    // One draw entry when Visible with a visible colour; the children always collect too.
    void render(oskel::DrawList& list) override;
    // Draws the sector as a triangle fan; the clip rectangle is not used.
    void renderClipped(oskel::IVideoDriver* driver, const oskel::rectf* clip) override;
    // The node part, then the colour and both angles; the rim count stays this node's own.
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;

    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    // The fan of the current values (centre, rim, closing vertex) as a draw would build it, in
    // absolute coordinates.
    void buildFan(std::vector<oskel::S2DVertex>& out) const;
    const std::vector<oskel::S2DVertex>& getVertices() const { return m_vertices; }
    const oskel::SMaterial& getMaterial() const { return m_material; }

    oskel::u32 FillColor = 0xFFFFFFFFu;
    oskel::s32 Angle1 = 0;
    oskel::s32 Angle2 = 360;
    oskel::s32 MaxVerticesCount = 32;

private:
    std::vector<oskel::S2DVertex> m_vertices;
    oskel::SMaterial m_material;
};

}  // namespace brasquel
