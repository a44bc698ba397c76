#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/scene/BaseNode.h"
#include "engine/video/CQuadBatcher.h"

namespace oskel {

class CAtlasTexture;

// One atlas frame drawn as a single quad: placed by a pivot point, stretched to the Bounds,
// fitting the Bounds to it or cropped to them, mirrored, blended normally or additively. Hit
// where the image pixel under the point is opaque.
class SpriteNode : public BaseNode {
public:
    // How the frame is laid into the Bounds, per direction.
    enum EStretch : s32 {
        StretchNone = 0,       // natural size
        StretchToBounds = 1,   // stretched to the Bounds
        StretchFitBounds = 2,  // natural size; the Bounds take the frame's size
        StretchCrop = 3,       // natural size, cut to the Bounds
    };
    enum EBlend : s32 { BlendNormal = 0, BlendAdditive = 1 };
    // Texel and tint alphas at or below this take no hits.
    static constexpr u32 HitAlphaThreshold = 20;
    static constexpr s32 DefaultWrapType = ETW_CLAMP;

    SpriteNode(const CCreationContext& context, BaseNode* parent = nullptr,
               SceneManager* manager = nullptr);
    ~SpriteNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeSprite; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeSprite || typeId == NodeTypeBase;
    }

    // One draw item (keyed by the texture) when Visible with a texture and a visible colour.
    void render(DrawList& list) override;
    // Hands the prepared quad to the quad batcher; the clip rectangle is not applied.
    void renderClipped(IVideoDriver* driver, const rectf* clip) override;
    bool hitTest(const vector2df& point) const override;
    void updateAbsoluteTransform() override;
    void updateAbsoluteColor() override;
    void copyFrom(const BaseNode* source, SceneManager* manager) override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // None drops the texture and leaves the quad as it was.
    void setAtlasTexture(CAtlasTexture* texture);
    CAtlasTexture* getAtlasTexture() const { return m_texture.get(); }
    void setImageStretchX(s32 mode);
    void setImageStretchY(s32 mode);
    // Takes effect at the next recomputation of the quad.
    void setImagePivotPoint(const vector2df& pivot) { m_imagePivot = pivot; }
    void setFlipX(bool flip) { m_flipX = flip; }
    void setFlipY(bool flip) { m_flipY = flip; }
    // Values other than 0 and 1 become 0.
    void setBlendType(s32 type);
    // Wrap modes 0 to 4; other values are ignored.
    void setWrapType(s32 type);

    s32 getImageStretchX() const { return m_stretchX; }
    s32 getImageStretchY() const { return m_stretchY; }
    const vector2df& getImagePivotPoint() const { return m_imagePivot; }
    bool getFlipX() const { return m_flipX; }
    bool getFlipY() const { return m_flipY; }
    s32 getBlendType() const { return m_blendType; }
    s32 getWrapType() const { return m_material.TextureLayer[0].TextureWrap; }

    // Lays the frame into the node: the quad in absolute coordinates with its texture
    // coordinates (mode 2 sets the Bounds).
    void updateImageRect();
    const SQuad& getQuad() const { return m_quad; }
    const SMaterial& getMaterial() const { return m_material; }

private:
    // Where the frame lies along one direction of the node: the quad from start to end shows
    // the frame texels from texelStart to texelEnd (swapped when flipped).
    struct SSpan {
        f32 start, end;
        f32 texelStart, texelEnd;
    };
    SSpan spanOf(s32 mode, f32 trim, f32 pivot, f32 frameSize, f32 boundsSize) const;

    CRefPtr<CAtlasTexture> m_texture;
    SMaterial m_material;
    s32 m_blendType = BlendNormal;
    SQuad m_quad;
    vector2df m_imagePivot{0.0f, 0.0f};
    s32 m_stretchX = StretchNone;
    s32 m_stretchY = StretchNone;
    bool m_flipX = false;
    bool m_flipY = false;
};

}  // namespace oskel
