#pragma once

#include "engine/scene/BaseNode.h"
#include "engine/video/SMaterial.h"
#include "game/config/GNodeClass.h"

namespace brasquel {

// A solid rectangle over the node's Bounds with a one-pixel outline, each in a colour of its own
// (0, fully transparent, draws nothing of that part). It follows the node's whole absolute
// transform, so it moves, turns and scales with its parents; the parents' colour modulates both
// colours. Scene files use it for frames, backgrounds and separators.
class GRectangleNode : public oskel::BaseNode {
public:
    // The vertices and primitives of the two parts.
    static constexpr oskel::u32 FillVertexCount = 4;
    static constexpr oskel::u32 FillTriangleCount = 2;
    static constexpr oskel::u32 BorderVertexCount = 5;
    static constexpr oskel::u32 BorderLineCount = 4;
    // Above this x scale the top edge reaches back to x 0 (drawn smaller, it starts at 1).
    static constexpr oskel::f32 FullTopEdgeScale = 0.9f;

    explicit GRectangleNode(const oskel::CCreationContext& context,
                            oskel::BaseNode* parent = nullptr,
                            oskel::SceneManager* manager = nullptr);
    ~GRectangleNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    BRASQUEL_NODE_CLASS()

    // One draw entry when Visible and the absolute colour is not transparent; children always
    // collect into the same list.
    void render(oskel::DrawList& list) override;
    // The fill, then the outline over it, in the node's absolute transform; the clip is unused.
    void renderClipped(oskel::IVideoDriver* driver, const oskel::rectf* clip) override;
    // The node part, then both colours.
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;

    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    const oskel::SMaterial& getMaterial() const { return m_material; }

    oskel::u32 BorderColor = 0;
    oskel::u32 FillColor = 0;

private:
    oskel::SMaterial m_material;
};

}  // namespace brasquel
