#include "engine/video/CMaterialState.h"

namespace oskel {

namespace {

u32 usedLayers(const SMaterial& m) {
    return m.LayerCount < MATERIAL_MAX_TEXTURES ? m.LayerCount : MATERIAL_MAX_TEXTURES;
}

bool sameMatrix(const SMaterialLayer& a, const SMaterialLayer& b) {
    if (!a.TextureMatrix || !b.TextureMatrix) return a.TextureMatrix == b.TextureMatrix;
    return *a.TextureMatrix == *b.TextureMatrix;
}

}  // namespace

bool SMaterialChanges::any() const {
    if (Colors || Specular || ColorMaterial || FillMode || Shading || Lighting || ZBuffer ||
        ZWrite || Culling || Fog || NormalizeNormals || ColorMask || AntiAliasing || Thickness ||
        TypeParameters)
        return true;
    for (u32 i = 0; i < LayerCount; ++i) {
        const SLayer& l = Layers[i];
        if (l.Texture || l.TextureMatrix || l.Wrap || l.Filter || l.LODBias) return true;
    }
    return false;
}

SMaterialChanges compareMaterials(const SMaterial& m, const SMaterial& l, bool reset) {
    SMaterialChanges c;
    c.Colors = reset || m.AmbientColor != l.AmbientColor || m.DiffuseColor != l.DiffuseColor ||
               m.EmissiveColor != l.EmissiveColor;
    c.Specular = reset || m.SpecularColor != l.SpecularColor || m.Shininess != l.Shininess;
    c.ColorMaterial = reset || m.ColorMaterial != l.ColorMaterial;
    c.FillMode = reset || m.Wireframe != l.Wireframe || m.PointCloud != l.PointCloud;
    c.Shading = reset || m.GouraudShading != l.GouraudShading;
    c.Lighting = reset || m.Lighting != l.Lighting;
    c.ZBuffer = reset || m.ZBuffer != l.ZBuffer;
    c.ZWrite = reset || m.ZWriteEnable != l.ZWriteEnable;
    c.Culling =
        reset || m.BackfaceCulling != l.BackfaceCulling || m.FrontfaceCulling != l.FrontfaceCulling;
    c.Fog = reset || m.FogEnable != l.FogEnable;
    c.NormalizeNormals = reset || m.NormalizeNormals != l.NormalizeNormals;
    c.ColorMask = reset || m.ColorMask != l.ColorMask;
    c.AntiAliasing = reset || m.AntiAliasing != l.AntiAliasing;
    c.Thickness = reset || m.Thickness != l.Thickness;
    c.TypeParameters = reset || m.MaterialTypeParam != l.MaterialTypeParam ||
                       m.MaterialTypeParam2 != l.MaterialTypeParam2;
    c.LayerCount = usedLayers(m);
    const u32 lastLayers = usedLayers(l);
    for (u32 i = 0; i < c.LayerCount; ++i) {
        const SMaterialLayer& a = m.TextureLayer[i];
        const SMaterialLayer& b = l.TextureLayer[i];
        // The last material's layers beyond its count may hold anything: never sent.
        const bool all = reset || i >= lastLayers;
        SMaterialChanges::SLayer& out = c.Layers[i];
        out.Texture = all || a.Texture != b.Texture;
        out.TextureMatrix = all || !sameMatrix(a, b);
        out.Wrap = all || a.TextureWrap != b.TextureWrap;
        out.Filter = all || a.BilinearFilter != b.BilinearFilter ||
                     a.TrilinearFilter != b.TrilinearFilter ||
                     a.AnisotropicFilter != b.AnisotropicFilter;
        out.LODBias = all || a.LODBias != b.LODBias;
    }
    return c;
}

// The material state.

void CMaterialState::holdLayers(const SMaterial& material, CRefPtr<CTextureResource>* held) {
    for (u32 i = 0; i < MATERIAL_MAX_TEXTURES; ++i)
        held[i].assign(i < material.LayerCount ? material.TextureLayer[i].Texture : nullptr);
}

void CMaterialState::setCurrent(const SMaterial& material) {
    m_current = material;
    // The material's texture resources stay alive while the driver may still apply it, even
    // when their owners let them go first.
    holdLayers(m_current, m_currentTextures);
}

void CMaterialState::setLast(const SMaterial& material) {
    m_last = material;
    holdLayers(m_last, m_lastTextures);
}

IMaterialRenderer* CMaterialState::currentRenderer(const IVideoDriver& driver) const {
    if (m_current.MaterialType < 0) return nullptr;
    return driver.getMaterialRenderer(static_cast<u32>(m_current.MaterialType));
}

bool CMaterialState::apply(const IVideoDriver& driver, IMaterialRendererServices* services,
                           bool unsetPrevious, bool force) {
    if (!m_reset && !force && m_current == m_last) return false;
    const s32 lastType = m_last.MaterialType;
    if (unsetPrevious && lastType != m_current.MaterialType && lastType >= 0) {
        if (IMaterialRenderer* previous = driver.getMaterialRenderer(static_cast<u32>(lastType)))
            previous->OnUnsetMaterial();
    }
    if (IMaterialRenderer* renderer = currentRenderer(driver))
        renderer->OnSetMaterial(m_current, m_last, m_reset, services);
    m_last = m_current;
    // Held as long as the last material names them.
    for (u32 i = 0; i < MATERIAL_MAX_TEXTURES; ++i) m_lastTextures[i] = m_currentTextures[i];
    m_reset = false;
    return true;
}

void CMaterialState::clear() {
    for (auto& held : m_currentTextures) held = nullptr;
    for (auto& held : m_lastTextures) held = nullptr;
}

// The API-free halves of the per-material tables.

EDepthTest depthTestOf(u8 zBuffer) {
    if (zBuffer == ECFN_NEVER) return EDT_OFF;
    if (zBuffer <= ECFN_ALWAYS) return EDT_COMPARE;
    return EDT_UNKNOWN;
}

STextureAddressing addressingOf(u8 textureWrap) {
    STextureAddressing a;
    if (textureWrap <= ETW_MIRRORED_REPEAT)
        a.Mode = static_cast<ETextureWrap>(textureWrap);
    else
        a.Known = false;
    return a;
}

SColorWrite colorWriteOf(u8 colorMask) {
    SColorWrite w;
    w.Alpha = (colorMask & 1) != 0;
    w.Red = (colorMask & 2) != 0;
    w.Green = (colorMask & 4) != 0;
    w.Blue = (colorMask & 8) != 0;
    return w;
}

SLayerFiltering filteringOf(const SMaterialLayer& layer) {
    SLayerFiltering f;
    f.Smooth = layer.BilinearFilter || layer.TrilinearFilter;
    f.BetweenMipLevels = layer.TrilinearFilter;
    f.Anisotropy = layer.AnisotropicFilter;
    f.Filtered = f.Smooth || layer.AnisotropicFilter != 0;
    return f;
}

}  // namespace oskel
