#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/scene/BaseNode.h"
#include "engine/video/CQuadBatcher.h"

namespace oskel {

class CAtlasTexture;

// One atlas frame stretched over the Bounds as a three-by-three grid: the corners keep their
// size, the edges stretch in one direction, the centre in both.
class NineGridSpriteNode : public BaseNode {
public:
    static constexpr u32 QuadCount = 9;
    // Tint alphas at or below this take no hits.
    static constexpr u32 HitAlphaThreshold = 20;

    NineGridSpriteNode(const CCreationContext& context, BaseNode* parent = nullptr,
                       SceneManager* manager = nullptr);
    ~NineGridSpriteNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeNineGridSprite; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeNineGridSprite || typeId == NodeTypeBase;
    }

    void render(DrawList& list) override;
    // Builds the nine quads and hands them to the quad batcher; the clip rectangle is not applied.
    void renderClipped(IVideoDriver* driver, const rectf* clip) override;
    // Inside the Bounds (no pixel test).
    bool hitTest(const vector2df& point) const override;
    void copyFrom(const BaseNode* source, SceneManager* manager) override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    void setAtlasTexture(CAtlasTexture* texture);
    CAtlasTexture* getAtlasTexture() const { return m_texture.get(); }
    // The left column's width and the top row's height, in node pixels and texels.
    void setTopLeftDelta(const vector2df& delta) { m_topLeft = delta; }
    // The right column's width and the bottom row's height.
    void setBottomRightDelta(const vector2df& delta) { m_bottomRight = delta; }
    const vector2df& getTopLeftDelta() const { return m_topLeft; }
    const vector2df& getBottomRightDelta() const { return m_bottomRight; }

    // The nine quads (rows top to bottom, columns left to right) in absolute coordinates.
    void updateGrid();
    const SQuad& getQuad(u32 index) const { return m_quads[index < QuadCount ? index : 0]; }
    const SMaterial& getMaterial() const { return m_material; }

private:
    CRefPtr<CAtlasTexture> m_texture;
    SMaterial m_material;
    SQuad m_quads[QuadCount];
    vector2df m_topLeft{10.0f, 10.0f};
    vector2df m_bottomRight{10.0f, 10.0f};
};

}  // namespace oskel
