#pragma once

#include "engine/video/SColorUtils.h"

namespace oskel {

class CTextureResource;

// Material types; the index of a material renderer and the default name of the renderer
// registered there.
enum EMaterialType : s32 {
    EMT_SOLID = 0,
    EMT_SOLID_2_LAYER,
    EMT_LIGHTMAP,
    EMT_LIGHTMAP_ADD,
    EMT_LIGHTMAP_M2,
    EMT_LIGHTMAP_M4,
    EMT_LIGHTMAP_LIGHTING,
    EMT_LIGHTMAP_LIGHTING_M2,
    EMT_LIGHTMAP_LIGHTING_M4,
    EMT_DETAIL_MAP,
    EMT_SPHERE_MAP,
    EMT_REFLECTION_2_LAYER,
    EMT_TRANSPARENT_ADD_COLOR,
    EMT_TRANSPARENT_ALPHA_CHANNEL,
    EMT_TRANSPARENT_ALPHA_CHANNEL_REF,
    EMT_TRANSPARENT_VERTEX_ALPHA,
    EMT_TRANSPARENT_REFLECTION_2_LAYER,
    EMT_NORMAL_MAP_SOLID,
    EMT_NORMAL_MAP_TRANSPARENT_ADD_COLOR,
    EMT_NORMAL_MAP_TRANSPARENT_VERTEX_ALPHA,
    EMT_PARALLAX_MAP_SOLID,
    EMT_PARALLAX_MAP_TRANSPARENT_ADD_COLOR,
    EMT_PARALLAX_MAP_TRANSPARENT_VERTEX_ALPHA,
    EMT_ONETEXTURE_BLEND,
    // The sprite materials: the texture's colour multiplied by (or added to) the vertex colour,
    // its alpha multiplied by the vertex alpha, blended over the target; no depth writing.
    EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA,
    EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD,
    EMT_MATERIAL_TYPE_COUNT
};

// The default renderer names, indexed by material type.
extern const char* const sBuiltInMaterialTypeNames[EMT_MATERIAL_TYPE_COUNT];

enum ETextureWrap : u8 {
    ETW_REPEAT = 0,
    ETW_CLAMP = 1,
    ETW_CLAMP_TO_EDGE = 2,
    ETW_CLAMP_TO_BORDER = 3,
    ETW_MIRRORED_REPEAT = 4,
};

// One texture layer of a material.
class SMaterialLayer {
public:
    SMaterialLayer() = default;
    SMaterialLayer(const SMaterialLayer& other) { *this = other; }
    ~SMaterialLayer() { delete TextureMatrix; }
    // Copies the texture pointer and the bytes; deep-copies the texture matrix.
    SMaterialLayer& operator=(const SMaterialLayer& other);

    // Differs when the texture, any byte or the texture matrix pointer differs.
    bool operator!=(const SMaterialLayer& other) const;
    bool operator==(const SMaterialLayer& other) const { return !(*this != other); }

    // The layer's texture matrix, made (as identity) on first use.
    matrix4& getTextureMatrix();
    bool hasTextureMatrix() const { return TextureMatrix != nullptr; }
    void setTextureMatrix(const matrix4& m) { getTextureMatrix() = m; }

    CTextureResource* Texture = nullptr;
    matrix4* TextureMatrix = nullptr;  // none means identity
    u8 TextureWrap = ETW_REPEAT;
    bool BilinearFilter = true;
    bool TrilinearFilter = false;
    u8 AnisotropicFilter = 0;
    s8 LODBias = 0;  // mip-map level bias in eighths of a level (the Direct3D drivers read it)
};

constexpr u32 MATERIAL_MAX_TEXTURES = 4;

enum EColorMaterial : u8 {
    ECM_NONE = 0,
    ECM_DIFFUSE,
    ECM_AMBIENT,
    ECM_EMISSIVE,
    ECM_SPECULAR,
    ECM_DIFFUSE_AND_AMBIENT,
};

enum EComparisonFunc : u8 {
    ECFN_NEVER = 0,  // depth test off
    ECFN_LESSEQUAL = 1,
    ECFN_EQUAL = 2,
    ECFN_LESS = 3,
    ECFN_NOTEQUAL = 4,
    ECFN_GREATEREQUAL = 5,
    ECFN_GREATER = 6,
    ECFN_ALWAYS = 7,
};

enum EAntiAliasingMode : u8 {
    EAAM_SIMPLE = 1,
    EAAM_QUALITY = 2,
    EAAM_LINE_SMOOTH = 4,
    EAAM_POINT_SMOOTH = 8,
    EAAM_ALPHA_TO_COVERAGE = 16,
};

// The render material.
class SMaterial {
public:
    SMaterial() = default;
    SMaterial(const SMaterial& other) { *this = other; }
    // Copies the scalar fields, the first (source's layer count) layers, the layer count and the
    // flag bytes; later layers keep what they held.
    SMaterial& operator=(const SMaterial& other);

    // The gate of every render-state change: any scalar, flag byte, the layer count or a used
    // layer differing makes the materials differ.
    bool operator!=(const SMaterial& other) const;
    bool operator==(const SMaterial& other) const { return !(*this != other); }

    s32 MaterialType = EMT_SOLID;
    SColor AmbientColor{0xFFFFFFFFu};
    SColor DiffuseColor{0xFFFFFFFFu};
    SColor EmissiveColor{0x00000000u};
    SColor SpecularColor{0xFFFFFFFFu};
    f32 Shininess = 0.0f;
    f32 MaterialTypeParam = 0.0f;
    f32 MaterialTypeParam2 = 0.0f;
    f32 Thickness = 1.0f;
    SMaterialLayer TextureLayer[MATERIAL_MAX_TEXTURES];
    u32 LayerCount = MATERIAL_MAX_TEXTURES;
    u8 ColorMask = 15;
    u8 ColorMaterial = ECM_DIFFUSE;
    bool Wireframe = false;
    bool PointCloud = false;
    bool GouraudShading = true;
    bool Lighting = true;
    bool ZWriteEnable = true;
    bool BackfaceCulling = true;
    bool FrontfaceCulling = false;
    bool FogEnable = false;
    bool NormalizeNormals = false;
    u8 ZBuffer = ECFN_LESSEQUAL;
    u8 AntiAliasing = EAAM_SIMPLE | EAAM_LINE_SMOOTH;

private:
    u32 usedLayers() const {
        return LayerCount < MATERIAL_MAX_TEXTURES ? LayerCount : MATERIAL_MAX_TEXTURES;
    }
};

}  // namespace oskel
