#pragma once

#include <vector>

#include "engine/scene/BaseNode.h"
#include "engine/video/S2DVertex.h"
#include "engine/video/SMaterial.h"
#include "game/config/GNodeClass.h"

namespace brasquel {

// A rectangle the size of the node's Bounds filled with FillColor and ruled into cells by lines
// of GridColor every CellSize units across and down (the last line may lie on the edge). The
// lines follow every refresh of the node's transform and keep GridColor's own colour; the node's
// absolute colour modulates fill and lines only when they are drawn.
class GSelectGridNode : public oskel::BaseNode {
public:
    // A grid never holds more lines than this; a finer one is cut (with a log line).
    static constexpr oskel::u32 MaxLines = 4096;

    explicit GSelectGridNode(const oskel::CCreationContext& context,
                             oskel::BaseNode* parent = nullptr,
                             oskel::SceneManager* manager = nullptr);
    ~GSelectGridNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    BRASQUEL_NODE_CLASS()

    // One draw entry when Visible and the absolute colour is not transparent; children always.
    void render(oskel::DrawList& list) override;
    void renderClipped(oskel::IVideoDriver* driver, const oskel::rectf* clip) override;
    // Also rebuilds the lines.
    void updateAbsoluteTransform() override;
    // Also recolours the lines.
    void updateAbsoluteColor() override;
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;

    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    void setGridColor(oskel::u32 color);
    void setFillColor(oskel::u32 color);
    const std::vector<oskel::S2DVertex>& getLineVertices() const { return m_lines; }
    const oskel::SMaterial& getMaterial() const { return m_material; }

    oskel::u32 GridColor = 0;
    oskel::u32 FillColor = 0;
    oskel::vector2df CellSize{40.0f, 40.0f};

private:
    // The lines of one direction: a pair of vertices at each step up to the length.
    bool addLines(oskel::f32 length, oskel::f32 cell, bool vertical, oskel::f32 across);

    std::vector<oskel::S2DVertex> m_lines;
    oskel::SMaterial m_material;
};

}  // namespace brasquel
