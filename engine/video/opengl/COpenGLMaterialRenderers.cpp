#include "engine/video/opengl/COpenGLMaterialRenderers.h"

#include "engine/video/opengl/COpenGLShaderRenderers.h"

namespace oskel {

void COpenGLMaterialRenderer::bindLayers(const SMaterial& material, u32 count) {
    const COpenGLExtensionHandler& ext = m_driver->getExtensions();
    const u32 units = count < ext.MaxTextureUnits ? count : ext.MaxTextureUnits;
    m_driver->disableTextures(units);
    // A layer without a texture leaves its unit empty: a stale texture must not show through.
    for (u32 i = 0; i < units; ++i)
        m_driver->setTexture(i, i < material.LayerCount
                                    ? COpenGLDriver::getLayerTexture(material.TextureLayer[i])
                                    : nullptr);
    if (ext.MultiTextureExtension) ext.activeTexture(GL_TEXTURE0);
}

void COpenGLMaterialRenderer::OnSetMaterial(const SMaterial& material,
                                            const SMaterial& lastMaterial,
                                            bool resetAllRenderStates,
                                            IMaterialRendererServices* services) {
    bindLayers(material, textureLayers());
    services->setBasicRenderStates(material, lastMaterial, resetAllRenderStates);
    if (material.MaterialType != lastMaterial.MaterialType || resetAllRenderStates)
        setTypeStates(material);
}

namespace {

void setUnit(const COpenGLExtensionHandler& ext, u32 unit) {
    if (ext.MultiTextureExtension) ext.activeTexture(GL_TEXTURE0 + unit);
}

// Unit 0: texture colour times vertex colour, alpha likewise.
void modulateUnit0() {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void combine(GLenum rgbMode, GLenum rgb0, GLenum rgb1, GLenum alphaMode, GLenum alpha0,
             GLenum alpha1, GLfloat rgbScale = 1.0f) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, static_cast<GLint>(rgbMode));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, static_cast<GLint>(rgb0));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, static_cast<GLint>(rgb1));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, static_cast<GLint>(alphaMode));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, static_cast<GLint>(alpha0));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, static_cast<GLint>(alpha1));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA, GL_SRC_ALPHA);
    glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE, rgbScale);
}

// EMT_SOLID: one texture, modulated by the vertex colour (or the lighting), opaque.
class CSolidRenderer : public COpenGLMaterialRenderer {
public:
    using COpenGLMaterialRenderer::COpenGLMaterialRenderer;
protected:
    void setTypeStates(const SMaterial&) override {
        modulateUnit0();
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
    }
};

// EMT_SOLID_2_LAYER: the second texture over the first, by the vertex alpha.
class CSolid2LayerRenderer : public COpenGLMaterialRenderer {
public:
    using COpenGLMaterialRenderer::COpenGLMaterialRenderer;
protected:
    u32 textureLayers() const override { return 2; }
    void setTypeStates(const SMaterial&) override {
        const COpenGLExtensionHandler& ext = m_driver->getExtensions();
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        modulateUnit0();
        if (!ext.MultiTextureExtension) return;
        setUnit(ext, 1);
        combine(GL_INTERPOLATE, GL_TEXTURE, GL_PREVIOUS, GL_REPLACE, GL_PREVIOUS, GL_PREVIOUS);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB, GL_PRIMARY_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB, GL_SRC_ALPHA);
        setUnit(ext, 0);
    }
};

// 2 to 8: the second texture (the light map) modulates (or is added to) the first, scaled by
// 1, 2 or 4; the lit kinds take the vertex colour (or the lighting) into the first texture.
class CLightMapRenderer : public COpenGLMaterialRenderer {
public:
    using COpenGLMaterialRenderer::COpenGLMaterialRenderer;
protected:
    u32 textureLayers() const override { return 2; }
    void setTypeStates(const SMaterial& material) override {
        const COpenGLExtensionHandler& ext = m_driver->getExtensions();
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        const s32 type = material.MaterialType;
        const bool lit = type >= EMT_LIGHTMAP_LIGHTING;
        if (lit)
            modulateUnit0();
        else
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        if (!ext.MultiTextureExtension) return;
        GLfloat scale = 1.0f;
        if (type == EMT_LIGHTMAP_M2 || type == EMT_LIGHTMAP_LIGHTING_M2) scale = 2.0f;
        if (type == EMT_LIGHTMAP_M4 || type == EMT_LIGHTMAP_LIGHTING_M4) scale = 4.0f;
        setUnit(ext, 1);
        combine(type == EMT_LIGHTMAP_ADD ? GL_ADD : GL_MODULATE, GL_PREVIOUS, GL_TEXTURE,
                GL_REPLACE, GL_PREVIOUS, GL_PREVIOUS, scale);
        setUnit(ext, 0);
    }
    void OnUnsetMaterial() override {
        const COpenGLExtensionHandler& ext = m_driver->getExtensions();
        if (!ext.MultiTextureExtension) return;
        setUnit(ext, 1);
        glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE, 1.0f);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        setUnit(ext, 0);
    }
};

// EMT_DETAIL_MAP: the detail texture added signed to the first.
class CDetailMapRenderer : public COpenGLMaterialRenderer {
public:
    using COpenGLMaterialRenderer::COpenGLMaterialRenderer;
protected:
    u32 textureLayers() const override { return 2; }
    void setTypeStates(const SMaterial&) override {
        const COpenGLExtensionHandler& ext = m_driver->getExtensions();
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        modulateUnit0();
        if (!ext.MultiTextureExtension) return;
        setUnit(ext, 1);
        combine(GL_ADD_SIGNED, GL_PREVIOUS, GL_TEXTURE, GL_REPLACE, GL_PREVIOUS, GL_PREVIOUS);
        setUnit(ext, 0);
    }
    void OnUnsetMaterial() override {
        const COpenGLExtensionHandler& ext = m_driver->getExtensions();
        if (!ext.MultiTextureExtension) return;
        setUnit(ext, 1);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        setUnit(ext, 0);
    }
};

void sphereMapOn() {
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
}

void sphereMapOff() {
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
}

// EMT_SPHERE_MAP: texture coordinates generated as a sphere map.
class CSphereMapRenderer : public COpenGLMaterialRenderer {
public:
    using COpenGLMaterialRenderer::COpenGLMaterialRenderer;
protected:
    void setTypeStates(const SMaterial&) override {
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        modulateUnit0();
        sphereMapOn();
    }
    void OnUnsetMaterial() override { sphereMapOff(); }
};

// EMT_REFLECTION_2_LAYER and EMT_TRANSPARENT_REFLECTION_2_LAYER: the second texture as a sphere-
// mapped reflection modulating the first; the transparent one is blended by the vertex alpha.
class CReflectionRenderer : public COpenGLMaterialRenderer {
public:
    CReflectionRenderer(COpenGLDriver* driver, bool transparent)
        : COpenGLMaterialRenderer(driver), m_transparent(transparent) {}
    bool isTransparent() const override { return m_transparent; }
protected:
    u32 textureLayers() const override { return 2; }
    void setTypeStates(const SMaterial&) override {
        const COpenGLExtensionHandler& ext = m_driver->getExtensions();
        glDisable(GL_ALPHA_TEST);
        modulateUnit0();
        if (m_transparent) {
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glEnable(GL_BLEND);
        } else {
            glDisable(GL_BLEND);
        }
        if (!ext.MultiTextureExtension) return;
        setUnit(ext, 1);
        combine(GL_MODULATE, GL_PREVIOUS, GL_TEXTURE, GL_REPLACE, GL_PREVIOUS, GL_PREVIOUS);
        sphereMapOn();
        setUnit(ext, 0);
    }
    void OnUnsetMaterial() override {
        const COpenGLExtensionHandler& ext = m_driver->getExtensions();
        if (m_transparent) glDisable(GL_BLEND);
        if (!ext.MultiTextureExtension) return;
        setUnit(ext, 1);
        sphereMapOff();
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        setUnit(ext, 0);
    }
private:
    bool m_transparent;
};

// EMT_TRANSPARENT_ADD_COLOR: the colour added over the target (source one, destination one minus
// source colour).
class CTransparentAddRenderer : public COpenGLMaterialRenderer {
public:
    using COpenGLMaterialRenderer::COpenGLMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnUnsetMaterial() override { glDisable(GL_BLEND); }
protected:
    void setTypeStates(const SMaterial&) override {
        modulateUnit0();
        glDisable(GL_ALPHA_TEST);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_COLOR);
        glEnable(GL_BLEND);
    }
};

// EMT_TRANSPARENT_ALPHA_CHANNEL: blended by the texture's alpha, pixels at or below the type
// parameter dropped.
class CAlphaChannelRenderer : public COpenGLMaterialRenderer {
public:
    using COpenGLMaterialRenderer::COpenGLMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnSetMaterial(const SMaterial& material, const SMaterial& last, bool reset,
                       IMaterialRendererServices* services) override {
        COpenGLMaterialRenderer::OnSetMaterial(material, last, reset, services);
        if (reset || material.MaterialType != last.MaterialType ||
            material.MaterialTypeParam != last.MaterialTypeParam)
            glAlphaFunc(GL_GREATER, material.MaterialTypeParam);
    }
    void OnUnsetMaterial() override {
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
    }
protected:
    void setTypeStates(const SMaterial&) override {
        combine(GL_MODULATE, GL_TEXTURE, GL_PRIMARY_COLOR, GL_REPLACE, GL_TEXTURE, GL_TEXTURE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
    }
};

// EMT_TRANSPARENT_ALPHA_CHANNEL_REF: no blending; pixels whose texture alpha is at or below one
// half are dropped.
class CAlphaChannelRefRenderer : public COpenGLMaterialRenderer {
public:
    using COpenGLMaterialRenderer::COpenGLMaterialRenderer;
    bool isTransparent() const override { return false; }
    void OnUnsetMaterial() override { glDisable(GL_ALPHA_TEST); }
protected:
    void setTypeStates(const SMaterial&) override {
        modulateUnit0();
        glDisable(GL_BLEND);
        glAlphaFunc(GL_GREATER, 0.5f);
        glEnable(GL_ALPHA_TEST);
    }
};

// EMT_TRANSPARENT_VERTEX_ALPHA: texture colour times vertex colour, blended by the vertex alpha
// alone.
class CVertexAlphaRenderer : public COpenGLMaterialRenderer {
public:
    using COpenGLMaterialRenderer::COpenGLMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnUnsetMaterial() override { glDisable(GL_BLEND); }
protected:
    void setTypeStates(const SMaterial&) override {
        combine(GL_MODULATE, GL_TEXTURE, GL_PRIMARY_COLOR, GL_REPLACE, GL_PRIMARY_COLOR,
                GL_PRIMARY_COLOR);
        glDisable(GL_ALPHA_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    }
};

// The blend factor of a packed one-texture-blend parameter.
GLenum blendFactor(u32 code) {
    switch (code) {
        case 0: return GL_ZERO;
        case 1: return GL_ONE;
        case 2: return GL_DST_COLOR;
        case 3: return GL_ONE_MINUS_DST_COLOR;
        case 4: return GL_SRC_COLOR;
        case 5: return GL_ONE_MINUS_SRC_COLOR;
        case 6: return GL_SRC_ALPHA;
        case 7: return GL_ONE_MINUS_SRC_ALPHA;
        case 8: return GL_DST_ALPHA;
        case 9: return GL_ONE_MINUS_DST_ALPHA;
        case 10: return GL_SRC_ALPHA_SATURATE;
        default: return GL_ONE;
    }
}

// EMT_ONETEXTURE_BLEND: one texture blended with the factors packed into the type parameter: source
// factor in bits 4 to 7, destination factor in bits 0 to 3.
class COneTextureBlendRenderer : public COpenGLMaterialRenderer {
public:
    using COpenGLMaterialRenderer::COpenGLMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnSetMaterial(const SMaterial& material, const SMaterial& last, bool reset,
                       IMaterialRendererServices* services) override {
        COpenGLMaterialRenderer::OnSetMaterial(material, last, reset, services);
        if (reset || material.MaterialType != last.MaterialType ||
            material.MaterialTypeParam != last.MaterialTypeParam) {
            const u32 packed = static_cast<u32>(material.MaterialTypeParam);
            glBlendFunc(blendFactor((packed >> 4) & 0xF), blendFactor(packed & 0xF));
        }
    }
    void OnUnsetMaterial() override { glDisable(GL_BLEND); }
protected:
    void setTypeStates(const SMaterial&) override {
        modulateUnit0();
        glDisable(GL_ALPHA_TEST);
        glEnable(GL_BLEND);
    }
};

// 24 and 25, the sprite materials: the texture's colour multiplied by (24) or added to (25) the
// vertex colour, its alpha multiplied by the vertex alpha, blended with source alpha, no depth
// writing. An untextured quad reads unit 0 as opaque white.
class CSpriteRenderer : public COpenGLMaterialRenderer {
public:
    CSpriteRenderer(COpenGLDriver* driver, bool add) : COpenGLMaterialRenderer(driver), m_add(add) {}
    bool isTransparent() const override { return true; }
    void OnSetMaterial(const SMaterial& material, const SMaterial& last, bool reset,
                       IMaterialRendererServices* services) override {
        COpenGLMaterialRenderer::OnSetMaterial(material, last, reset, services);
        glDepthMask(GL_FALSE);
        m_depthWrite = material.ZWriteEnable;
    }
    void OnUnsetMaterial() override {
        glDisable(GL_BLEND);
        // The next material compares its depth writing with this one's: OpenGL must agree.
        glDepthMask(m_depthWrite ? GL_TRUE : GL_FALSE);
    }
protected:
    void setTypeStates(const SMaterial&) override {
        combine(m_add ? GL_ADD : GL_MODULATE, GL_TEXTURE, GL_PRIMARY_COLOR, GL_MODULATE,
                GL_TEXTURE, GL_PRIMARY_COLOR);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    }
private:
    bool m_add;
    bool m_depthWrite = true;
};

}  // namespace

void createOpenGLMaterialRenderers(COpenGLDriver* d) {
    d->addAndDropMaterialRenderer(new CSolidRenderer(d), EMT_SOLID);
    d->addAndDropMaterialRenderer(new CSolid2LayerRenderer(d), EMT_SOLID_2_LAYER);
    // One light-map renderer serves the seven light-map types.
    auto* lightMap = new CLightMapRenderer(d);
    for (s32 type = EMT_LIGHTMAP; type <= EMT_LIGHTMAP_LIGHTING_M4; ++type)
        d->setMaterialRenderer(type, lightMap);
    lightMap->drop();
    d->addAndDropMaterialRenderer(new CDetailMapRenderer(d), EMT_DETAIL_MAP);
    d->addAndDropMaterialRenderer(new CSphereMapRenderer(d), EMT_SPHERE_MAP);
    d->addAndDropMaterialRenderer(new CReflectionRenderer(d, false), EMT_REFLECTION_2_LAYER);
    d->addAndDropMaterialRenderer(new CTransparentAddRenderer(d), EMT_TRANSPARENT_ADD_COLOR);
    d->addAndDropMaterialRenderer(new CAlphaChannelRenderer(d), EMT_TRANSPARENT_ALPHA_CHANNEL);
    d->addAndDropMaterialRenderer(new CAlphaChannelRefRenderer(d),
                                  EMT_TRANSPARENT_ALPHA_CHANNEL_REF);
    d->addAndDropMaterialRenderer(new CVertexAlphaRenderer(d), EMT_TRANSPARENT_VERTEX_ALPHA);
    d->addAndDropMaterialRenderer(new CReflectionRenderer(d, true),
                                  EMT_TRANSPARENT_REFLECTION_2_LAYER);
    // Normal and parallax maps over the renderers of types 0, 12 and 15.
    const s32 bases[3] = {EMT_SOLID, EMT_TRANSPARENT_ADD_COLOR, EMT_TRANSPARENT_VERTEX_ALPHA};
    for (s32 i = 0; i < 3; ++i)
        d->addAndDropMaterialRenderer(
            createBumpMapRenderer(d, false, d->getMaterialRenderer(static_cast<u32>(bases[i]))),
            EMT_NORMAL_MAP_SOLID + i);
    for (s32 i = 0; i < 3; ++i)
        d->addAndDropMaterialRenderer(
            createBumpMapRenderer(d, true, d->getMaterialRenderer(static_cast<u32>(bases[i]))),
            EMT_PARALLAX_MAP_SOLID + i);
    d->addAndDropMaterialRenderer(new COneTextureBlendRenderer(d), EMT_ONETEXTURE_BLEND);
    d->addAndDropMaterialRenderer(new CSpriteRenderer(d, false),
                                  EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA);
    d->addAndDropMaterialRenderer(new CSpriteRenderer(d, true),
                                  EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD);
}

}  // namespace oskel
