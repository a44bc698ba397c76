#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/video/CTextureResource.h"
#include "engine/video/IVideoDriver.h"

namespace oskel {

// Which groups of a material's fields differ from the material whose states a driver sent last;
// every group when the render states are to be reset. A driver's basic render states send each
// group only when it changed.
struct SMaterialChanges {
    bool Colors = false;    // ambient, diffuse and emissive colours
    bool Specular = false;  // specular colour and shininess
    bool ColorMaterial = false;
    bool FillMode = false;  // wireframe and point cloud
    bool Shading = false;   // Gouraud shading
    bool Lighting = false;
    bool ZBuffer = false;
    bool ZWrite = false;
    bool Culling = false;  // back-face and front-face culling
    bool Fog = false;
    bool NormalizeNormals = false;
    bool ColorMask = false;
    bool AntiAliasing = false;
    bool Thickness = false;
    bool TypeParameters = false;  // the two material type parameters

    struct SLayer {
        bool Texture = false;
        bool TextureMatrix = false;
        bool Wrap = false;
        bool Filter = false;  // bilinear, trilinear and anisotropic filtering
        bool LODBias = false;
    };
    // One entry for each layer the material uses; a layer the last material did not use counts
    // as changed throughout.
    SLayer Layers[MATERIAL_MAX_TEXTURES];
    u32 LayerCount = 0;

    bool any() const;
};

// The groups that differ between the material and the last one (all of them with reset).
SMaterialChanges compareMaterials(const SMaterial& material, const SMaterial& last, bool reset);

// The material a driver draws with and the one whose states it sent last, with the rule that
// sends the first through its material renderer. The texture resources of the layers in use of
// both materials are held, so that a resource freed and another made at its address is never
// taken for the one applied.
class CMaterialState {
public:
    CMaterialState() = default;
    CMaterialState(const CMaterialState&) = delete;
    CMaterialState& operator=(const CMaterialState&) = delete;

    const SMaterial& current() const { return m_current; }
    const SMaterial& last() const { return m_last; }
    // For states a driver sends outside the renderers (a depth clear turns depth writing on).
    SMaterial& lastToChange() { return m_last; }
    // For renderers whose type overrides a field of the material being applied: the material
    // becomes the last one as they leave it.
    SMaterial& currentToChange() { return m_current; }

    void setCurrent(const SMaterial& material);
    // The states were sent outside the renderers: the material becomes the last one.
    void setLast(const SMaterial& material);

    // The next application sends every state.
    void requestReset() { m_reset = true; }
    bool resetRequested() const { return m_reset; }

    // The renderer registered for the current material's type, or none.
    IMaterialRenderer* currentRenderer(const IVideoDriver& driver) const;

    // When a reset is asked, the application is forced or the current material differs from the
    // last one: the renderer of the last material's type gets OnUnsetMaterial when the type
    // changed and unsetPrevious allows it, the current type's renderer gets OnSetMaterial (with
    // the last material and the reset flag), the current material becomes the last one and the
    // reset is done. Types without a renderer are left out. True when the material was applied.
    bool apply(const IVideoDriver& driver, IMaterialRendererServices* services,
               bool unsetPrevious = true, bool force = false);

    // Lets go of the held texture resources (the driver goes).
    void clear();

private:
    void holdLayers(const SMaterial& material, CRefPtr<CTextureResource>* held);

    SMaterial m_current;
    SMaterial m_last;
    bool m_reset = true;
    CRefPtr<CTextureResource> m_currentTextures[MATERIAL_MAX_TEXTURES];
    CRefPtr<CTextureResource> m_lastTextures[MATERIAL_MAX_TEXTURES];
};

// What a material's depth code asks for, before a driver maps it to its graphics interface.
enum EDepthTest : u8 {
    EDT_OFF = 0,      // no depth test
    EDT_COMPARE = 1,  // a depth test with the code's comparison
    EDT_UNKNOWN = 2,  // a code beyond the table: the driver decides
};
EDepthTest depthTestOf(u8 zBuffer);

// What a layer's wrap code asks for; codes beyond the table give ETW_REPEAT with known false.
struct STextureAddressing {
    ETextureWrap Mode = ETW_REPEAT;
    bool Known = true;
};
STextureAddressing addressingOf(u8 textureWrap);

// The channels a material's colour mask lets through (bit 0 alpha, 1 red, 2 green, 3 blue).
struct SColorWrite {
    bool Red = true, Green = true, Blue = true, Alpha = true;
};
SColorWrite colorWriteOf(u8 colorMask);

// What a layer's three filter fields ask for.
struct SLayerFiltering {
    bool Filtered = false;          // any of the three is on
    bool Smooth = false;            // bilinear or trilinear: texels mixed, not the nearest taken
    bool BetweenMipLevels = false;  // trilinear
    u8 Anisotropy = 0;              // the wanted degree, 0 for none
};
SLayerFiltering filteringOf(const SMaterialLayer& layer);

}  // namespace oskel
