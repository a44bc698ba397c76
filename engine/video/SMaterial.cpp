#include "engine/video/SMaterial.h"

namespace oskel {

const char* const sBuiltInMaterialTypeNames[EMT_MATERIAL_TYPE_COUNT] = {
    "solid",
    "solid_2layer",
    "lightmap",
    "lightmap_add",
    "lightmap_m2",
    "lightmap_m4",
    "lightmap_light",
    "lightmap_light_m2",
    "lightmap_light_m4",
    "detail_map",
    "sphere_map",
    "reflection_2layer",
    "trans_add",
    "trans_alphach",
    "trans_alphach_ref",
    "trans_vertex_alpha",
    "trans_reflection_2layer",
    "normalmap_solid",
    "normalmap_trans_add",
    "normalmap_trans_vertexalpha",
    "parallaxmap_solid",
    "parallaxmap_trans_add",
    "parallaxmap_trans_vertexalpha",
    "onetexture_blend",
    "trans_alphach_vertexalpha",
    "trans_alphach_vertexalpha_add",
};

SMaterialLayer& SMaterialLayer::operator=(const SMaterialLayer& other) {
    if (this == &other) return *this;
    Texture = other.Texture;
    if (other.TextureMatrix) {
        if (TextureMatrix)
            *TextureMatrix = *other.TextureMatrix;
        else
            TextureMatrix = new matrix4(*other.TextureMatrix);
    } else {
        delete TextureMatrix;
        TextureMatrix = nullptr;
    }
    TextureWrap = other.TextureWrap;
    BilinearFilter = other.BilinearFilter;
    TrilinearFilter = other.TrilinearFilter;
    AnisotropicFilter = other.AnisotropicFilter;
    LODBias = other.LODBias;
    return *this;
}

bool SMaterialLayer::operator!=(const SMaterialLayer& other) const {
    return Texture != other.Texture || TextureWrap != other.TextureWrap ||
           BilinearFilter != other.BilinearFilter || TrilinearFilter != other.TrilinearFilter ||
           AnisotropicFilter != other.AnisotropicFilter || LODBias != other.LODBias ||
           TextureMatrix != other.TextureMatrix;
}

matrix4& SMaterialLayer::getTextureMatrix() {
    if (!TextureMatrix) TextureMatrix = new matrix4(matrix4::EM4CONST_IDENTITY);
    return *TextureMatrix;
}

SMaterial& SMaterial::operator=(const SMaterial& other) {
    if (this == &other) return *this;
    MaterialType = other.MaterialType;
    AmbientColor = other.AmbientColor;
    DiffuseColor = other.DiffuseColor;
    EmissiveColor = other.EmissiveColor;
    SpecularColor = other.SpecularColor;
    Shininess = other.Shininess;
    MaterialTypeParam = other.MaterialTypeParam;
    MaterialTypeParam2 = other.MaterialTypeParam2;
    Thickness = other.Thickness;
    for (u32 i = 0; i < other.usedLayers(); ++i) TextureLayer[i] = other.TextureLayer[i];
    LayerCount = other.LayerCount;
    ColorMask = other.ColorMask;
    ColorMaterial = other.ColorMaterial;
    Wireframe = other.Wireframe;
    PointCloud = other.PointCloud;
    GouraudShading = other.GouraudShading;
    Lighting = other.Lighting;
    ZWriteEnable = other.ZWriteEnable;
    BackfaceCulling = other.BackfaceCulling;
    FrontfaceCulling = other.FrontfaceCulling;
    FogEnable = other.FogEnable;
    NormalizeNormals = other.NormalizeNormals;
    ZBuffer = other.ZBuffer;
    AntiAliasing = other.AntiAliasing;
    return *this;
}

bool SMaterial::operator!=(const SMaterial& other) const {
    if (MaterialType != other.MaterialType || AmbientColor != other.AmbientColor ||
        DiffuseColor != other.DiffuseColor || EmissiveColor != other.EmissiveColor ||
        SpecularColor != other.SpecularColor || Shininess != other.Shininess ||
        MaterialTypeParam != other.MaterialTypeParam ||
        MaterialTypeParam2 != other.MaterialTypeParam2 || Thickness != other.Thickness ||
        Wireframe != other.Wireframe || PointCloud != other.PointCloud ||
        GouraudShading != other.GouraudShading || Lighting != other.Lighting ||
        ZWriteEnable != other.ZWriteEnable || BackfaceCulling != other.BackfaceCulling ||
        FrontfaceCulling != other.FrontfaceCulling || FogEnable != other.FogEnable ||
        NormalizeNormals != other.NormalizeNormals || ZBuffer != other.ZBuffer ||
        AntiAliasing != other.AntiAliasing || ColorMask != other.ColorMask ||
        LayerCount != other.LayerCount || ColorMaterial != other.ColorMaterial)
        return true;
    for (u32 i = 0; i < usedLayers(); ++i)
        if (TextureLayer[i] != other.TextureLayer[i]) return true;
    return false;
}

}  // namespace oskel
