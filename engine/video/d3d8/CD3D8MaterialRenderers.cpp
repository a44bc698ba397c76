#include "engine/video/d3d8/CD3D8MaterialRenderers.h"

#include <map>
#include <string>

#include "engine/core/CLogger.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel {

using namespace d3d;

// The base.

void CD3D8FixedMaterialRenderer::OnSetMaterial(const SMaterial& material, const SMaterial& last,
                                               bool reset, IMaterialRendererServices* services) {
    if (reset || material.MaterialType != last.MaterialType) setTypeStates(material);
    // The type's own rule: the material being applied has depth writing off, and so has the
    // last material the driver keeps of it.
    if (writesNoDepth()) m_driver->keepDepthWritingOff();
    services->setBasicRenderStates(material, last, reset);
}

void CD3D8FixedMaterialRenderer::stageColor(DWORD stage, D3DTEXTUREOP op, DWORD arg1, DWORD arg2) {
    m_device->SetTextureStageState(stage, D3DTSS_COLOROP, op);
    m_device->SetTextureStageState(stage, D3DTSS_COLORARG1, arg1);
    m_device->SetTextureStageState(stage, D3DTSS_COLORARG2, arg2);
}

void CD3D8FixedMaterialRenderer::stageAlpha(DWORD stage, D3DTEXTUREOP op, DWORD arg1, DWORD arg2) {
    m_device->SetTextureStageState(stage, D3DTSS_ALPHAOP, op);
    m_device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, arg1);
    m_device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, arg2);
}

void CD3D8FixedMaterialRenderer::stageOff(DWORD stage) {
    m_device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
    m_device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

void CD3D8FixedMaterialRenderer::blending(bool on, D3DBLEND source, D3DBLEND destination) {
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, on ? TRUE : FALSE);
    if (!on) return;
    m_device->SetRenderState(D3DRS_SRCBLEND, source);
    m_device->SetRenderState(D3DRS_DESTBLEND, destination);
}

void CD3D8FixedMaterialRenderer::alphaTest(bool on, DWORD reference) {
    m_device->SetRenderState(D3DRS_ALPHATESTENABLE, on ? TRUE : FALSE);
    if (!on) return;
    m_device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    m_device->SetRenderState(D3DRS_ALPHAREF, reference);
}

namespace {

// The coordinate set stage 1 reads: the vertex's second set when it has one, else the first
// (sprites and standard vertices carry one set).
class CTwoStageRenderer : public CD3D8FixedMaterialRenderer {
public:
    using CD3D8FixedMaterialRenderer::CD3D8FixedMaterialRenderer;
    void OnSetMaterial(const SMaterial& material, const SMaterial& last, bool reset,
                       IMaterialRendererServices* services) override {
        if (reset || material.MaterialType != last.MaterialType) m_secondSet = ~0u;
        CD3D8FixedMaterialRenderer::OnSetMaterial(material, last, reset, services);
    }
    bool OnRender(IMaterialRendererServices*, u32 vertexType) override {
        const DWORD set = vertexType == EVT_2TCOORDS ? 1u : 0u;
        if (set != m_secondSet) {
            m_device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, set);
            m_secondSet = set;
        }
        return true;
    }

protected:
    DWORD m_secondSet = ~0u;
};

// EMT_SOLID: the texture times the vertex colour (or the lighting), opaque.
class CSolidRenderer : public CD3D8FixedMaterialRenderer {
public:
    using CD3D8FixedMaterialRenderer::CD3D8FixedMaterialRenderer;

protected:
    void setTypeStates(const SMaterial&) override {
        stageColor(0, D3DTOP_MODULATE);
        stageAlpha(0, D3DTOP_DISABLE);
        stageOff(1);
        blending(false);
        alphaTest(false);
    }
};

// EMT_SOLID_2_LAYER: the second texture over the first by the vertex alpha.
class CSolid2LayerRenderer : public CTwoStageRenderer {
public:
    using CTwoStageRenderer::CTwoStageRenderer;

protected:
    void setTypeStates(const SMaterial&) override {
        stageColor(0, D3DTOP_SELECTARG1);
        stageAlpha(0, D3DTOP_DISABLE);
        stageColor(1, D3DTOP_BLENDDIFFUSEALPHA, D3DTA_TEXTURE, D3DTA_CURRENT);
        stageAlpha(1, D3DTOP_DISABLE);
        blending(false);
        alphaTest(false);
    }
};

// 2 to 8: the light map (second texture) modulates, is added to or scales the first; the lit
// kinds take the vertex colour (or the lighting) into the first texture.
class CLightMapRenderer : public CTwoStageRenderer {
public:
    using CTwoStageRenderer::CTwoStageRenderer;

protected:
    void setTypeStates(const SMaterial& material) override {
        const s32 type = material.MaterialType;
        stageColor(0, type >= EMT_LIGHTMAP_LIGHTING ? D3DTOP_MODULATE : D3DTOP_SELECTARG1);
        stageAlpha(0, D3DTOP_DISABLE);
        D3DTEXTUREOP op = D3DTOP_MODULATE;
        if (type == EMT_LIGHTMAP_ADD) op = D3DTOP_ADD;
        if (type == EMT_LIGHTMAP_M2 || type == EMT_LIGHTMAP_LIGHTING_M2) op = D3DTOP_MODULATE2X;
        if (type == EMT_LIGHTMAP_M4 || type == EMT_LIGHTMAP_LIGHTING_M4) op = D3DTOP_MODULATE4X;
        stageColor(1, op, D3DTA_TEXTURE, D3DTA_CURRENT);
        stageAlpha(1, D3DTOP_DISABLE);
        blending(false);
        alphaTest(false);
    }
};

// EMT_DETAIL_MAP: the detail texture added signed to the first.
class CDetailMapRenderer : public CTwoStageRenderer {
public:
    using CTwoStageRenderer::CTwoStageRenderer;

protected:
    void setTypeStates(const SMaterial&) override {
        stageColor(0, D3DTOP_MODULATE);
        stageAlpha(0, D3DTOP_DISABLE);
        stageColor(1, D3DTOP_ADDSIGNED, D3DTA_TEXTURE, D3DTA_CURRENT);
        stageAlpha(1, D3DTOP_DISABLE);
        blending(false);
        alphaTest(false);
    }
};

// The coordinates of a stage made from the reflection of the view about the normal, through the
// sphere-map matrix: the texture follows the view, not the vertices' coordinates.
void sphereMapOn(IDirect3DDevice8* device, CD3D8Driver* driver, DWORD stage) {
    device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX,
                                 D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
    device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    const D3DMATRIX sphere = d3dcommon::matrixOf(driver->getSphereMapMatrix());
    device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &sphere);
}

void sphereMapOff(IDirect3DDevice8* device, DWORD stage) {
    device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
    device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
}

// EMT_SPHERE_MAP.
class CSphereMapRenderer : public CD3D8FixedMaterialRenderer {
public:
    using CD3D8FixedMaterialRenderer::CD3D8FixedMaterialRenderer;
    void OnUnsetMaterial() override { sphereMapOff(m_device, 0); }

protected:
    void setTypeStates(const SMaterial&) override {
        stageColor(0, D3DTOP_MODULATE);
        stageAlpha(0, D3DTOP_DISABLE);
        stageOff(1);
        blending(false);
        alphaTest(false);
        sphereMapOn(m_device, m_driver, 0);
    }
};

// EMT_REFLECTION_2_LAYER and EMT_TRANSPARENT_REFLECTION_2_LAYER: the second texture as a
// reflection modulating the first; the transparent one blended by the vertex alpha.
class CReflectionRenderer : public CD3D8FixedMaterialRenderer {
public:
    CReflectionRenderer(IDirect3DDevice8* device, CD3D8Driver* driver, bool transparent)
        : CD3D8FixedMaterialRenderer(device, driver), m_transparent(transparent) {}
    bool isTransparent() const override { return m_transparent; }
    void OnUnsetMaterial() override {
        sphereMapOff(m_device, 1);
        if (m_transparent) blending(false);
    }

protected:
    void setTypeStates(const SMaterial&) override {
        stageColor(0, D3DTOP_MODULATE);
        stageColor(1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
        if (m_transparent) {
            stageAlpha(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
            stageAlpha(1, D3DTOP_SELECTARG1, D3DTA_CURRENT);
        } else {
            stageAlpha(0, D3DTOP_DISABLE);
            stageAlpha(1, D3DTOP_DISABLE);
        }
        blending(m_transparent);
        alphaTest(false);
        sphereMapOn(m_device, m_driver, 1);
    }

private:
    bool m_transparent;
};

// EMT_TRANSPARENT_ADD_COLOR: the colour added over the target (source one, destination one
// minus the source colour).
class CTransparentAddRenderer : public CD3D8FixedMaterialRenderer {
public:
    using CD3D8FixedMaterialRenderer::CD3D8FixedMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnUnsetMaterial() override { blending(false); }

protected:
    bool writesNoDepth() const override { return true; }
    void setTypeStates(const SMaterial&) override {
        stageColor(0, D3DTOP_MODULATE);
        stageAlpha(0, D3DTOP_DISABLE);
        stageOff(1);
        blending(true, D3DBLEND_ONE, D3DBLEND_INVSRCCOLOR);
        alphaTest(false);
    }
};

// EMT_TRANSPARENT_ALPHA_CHANNEL: blended by the texture's alpha; pixels whose alpha is not above
// the type parameter (0 to 1) are dropped.
class CAlphaChannelRenderer : public CD3D8FixedMaterialRenderer {
public:
    using CD3D8FixedMaterialRenderer::CD3D8FixedMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnSetMaterial(const SMaterial& material, const SMaterial& last, bool reset,
                       IMaterialRendererServices* services) override {
        CD3D8FixedMaterialRenderer::OnSetMaterial(material, last, reset, services);
        if (reset || material.MaterialType != last.MaterialType ||
            material.MaterialTypeParam != last.MaterialTypeParam)
            alphaTest(true, referenceOf(material.MaterialTypeParam));
    }
    void OnUnsetMaterial() override {
        blending(false);
        alphaTest(false);
    }

protected:
    bool writesNoDepth() const override { return true; }
    void setTypeStates(const SMaterial&) override {
        stageColor(0, D3DTOP_MODULATE);
        stageAlpha(0, D3DTOP_SELECTARG1);
        stageOff(1);
        blending(true);
    }

private:
    static DWORD referenceOf(f32 parameter) {
        const f32 scaled = parameter * 255.0f;
        if (!(scaled > 0.0f)) return 0;
        return scaled >= 255.0f ? 255u : static_cast<DWORD>(scaled);
    }
};

// EMT_TRANSPARENT_ALPHA_CHANNEL_REF: no blending; pixels whose texture alpha is not above one
// half are dropped.
class CAlphaChannelRefRenderer : public CD3D8FixedMaterialRenderer {
public:
    using CD3D8FixedMaterialRenderer::CD3D8FixedMaterialRenderer;
    void OnUnsetMaterial() override { alphaTest(false); }

protected:
    static constexpr DWORD kHalf = 127;
    bool writesNoDepth() const override { return true; }
    void setTypeStates(const SMaterial&) override {
        stageColor(0, D3DTOP_MODULATE);
        stageAlpha(0, D3DTOP_SELECTARG1);
        stageOff(1);
        blending(false);
        alphaTest(true, kHalf);
    }
};

// EMT_TRANSPARENT_VERTEX_ALPHA: the texture times the vertex colour, blended by the vertex alpha
// alone.
class CVertexAlphaRenderer : public CD3D8FixedMaterialRenderer {
public:
    using CD3D8FixedMaterialRenderer::CD3D8FixedMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnUnsetMaterial() override { blending(false); }

protected:
    bool writesNoDepth() const override { return true; }
    void setTypeStates(const SMaterial&) override {
        stageColor(0, D3DTOP_MODULATE);
        stageAlpha(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
        stageOff(1);
        blending(true);
        alphaTest(false);
    }
};

// Normal and parallax maps: their shader programs cannot be assembled on this layer, so the base
// renderer draws.
class CBumpMapRenderer : public CD3D8FixedMaterialRenderer {
public:
    CBumpMapRenderer(IDirect3DDevice8* device, CD3D8Driver* driver, IMaterialRenderer* base)
        : CD3D8FixedMaterialRenderer(device, driver), m_base(base) {
        if (m_base) m_base->grab();
    }
    ~CBumpMapRenderer() override {
        if (m_base) m_base->drop();
    }
    void OnSetMaterial(const SMaterial& material, const SMaterial& last, bool reset,
                       IMaterialRendererServices* services) override {
        if (m_base) m_base->OnSetMaterial(material, last, reset, services);
    }
    bool OnRender(IMaterialRendererServices* services, u32 vertexType) override {
        return m_base ? m_base->OnRender(services, vertexType) : true;
    }
    void OnUnsetMaterial() override {
        if (m_base) m_base->OnUnsetMaterial();
    }
    bool isTransparent() const override { return m_base && m_base->isTransparent(); }

private:
    IMaterialRenderer* m_base;
};

// EMT_ONETEXTURE_BLEND: one texture blended with the factors packed into the type parameter:
// the source factor in bits 4 to 7, the destination factor in bits 0 to 3.
class COneTextureBlendRenderer : public CD3D8FixedMaterialRenderer {
public:
    using CD3D8FixedMaterialRenderer::CD3D8FixedMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnSetMaterial(const SMaterial& material, const SMaterial& last, bool reset,
                       IMaterialRendererServices* services) override {
        CD3D8FixedMaterialRenderer::OnSetMaterial(material, last, reset, services);
        if (reset || material.MaterialType != last.MaterialType ||
            material.MaterialTypeParam != last.MaterialTypeParam) {
            const u32 packed = static_cast<u32>(material.MaterialTypeParam);
            blending(true, d3dcommon::blendFactorOf((packed >> 4) & 0xF),
                     d3dcommon::blendFactorOf(packed & 0xF));
        }
    }
    void OnUnsetMaterial() override { blending(false); }

protected:
    void setTypeStates(const SMaterial&) override {
        stageColor(0, D3DTOP_MODULATE);
        stageAlpha(0, D3DTOP_MODULATE);
        stageOff(1);
        alphaTest(false);
    }
};

}  // namespace

// 24 and 25, the sprite materials: the texture's colour multiplied by (24) or added to (25) the
// vertex colour, its alpha multiplied by the vertex alpha, blended with the source alpha. The
// material's depth writing is left as it is.
class CD3D8RendererTransAlphaChVertexAlpha : public CD3D8FixedMaterialRenderer {
public:
    using CD3D8FixedMaterialRenderer::CD3D8FixedMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnUnsetMaterial() override { m_device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE); }

protected:
    // The operation that puts the texture's colour and the vertex colour together.
    virtual D3DTEXTUREOP colorOperation() const { return D3DTOP_MODULATE; }
    void setTypeStates(const SMaterial&) override {
        stageColor(0, colorOperation());
        stageAlpha(0, D3DTOP_MODULATE);
        stageOff(1);
        m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
};

class CD3D8RendererTransAlphaChVertexAlphaAdd : public CD3D8RendererTransAlphaChVertexAlpha {
public:
    using CD3D8RendererTransAlphaChVertexAlpha::CD3D8RendererTransAlphaChVertexAlpha;

protected:
    D3DTEXTUREOP colorOperation() const override { return D3DTOP_ADD; }
};

void createD3D8MaterialRenderers(CD3D8Driver* d) {
    IDirect3DDevice8* device = d->getDirect3DDevice();
    d->addAndDropMaterialRenderer(new CSolidRenderer(device, d), EMT_SOLID);
    d->addAndDropMaterialRenderer(new CSolid2LayerRenderer(device, d), EMT_SOLID_2_LAYER);
    // One light-map renderer serves the seven light-map types.
    auto* lightMap = new CLightMapRenderer(device, d);
    for (s32 type = EMT_LIGHTMAP; type <= EMT_LIGHTMAP_LIGHTING_M4; ++type)
        d->setMaterialRenderer(type, lightMap);
    lightMap->drop();
    d->addAndDropMaterialRenderer(new CDetailMapRenderer(device, d), EMT_DETAIL_MAP);
    d->addAndDropMaterialRenderer(new CSphereMapRenderer(device, d), EMT_SPHERE_MAP);
    d->addAndDropMaterialRenderer(new CReflectionRenderer(device, d, false),
                                  EMT_REFLECTION_2_LAYER);
    d->addAndDropMaterialRenderer(new CTransparentAddRenderer(device, d),
                                  EMT_TRANSPARENT_ADD_COLOR);
    d->addAndDropMaterialRenderer(new CAlphaChannelRenderer(device, d),
                                  EMT_TRANSPARENT_ALPHA_CHANNEL);
    d->addAndDropMaterialRenderer(new CAlphaChannelRefRenderer(device, d),
                                  EMT_TRANSPARENT_ALPHA_CHANNEL_REF);
    d->addAndDropMaterialRenderer(new CVertexAlphaRenderer(device, d),
                                  EMT_TRANSPARENT_VERTEX_ALPHA);
    d->addAndDropMaterialRenderer(new CReflectionRenderer(device, d, true),
                                  EMT_TRANSPARENT_REFLECTION_2_LAYER);
    // Normal and parallax maps over the renderers of types 0, 12 and 15.
    const s32 bases[3] = {EMT_SOLID, EMT_TRANSPARENT_ADD_COLOR, EMT_TRANSPARENT_VERTEX_ALPHA};
    for (s32 i = 0; i < 3; ++i)
        d->addAndDropMaterialRenderer(
            new CBumpMapRenderer(device, d, d->getMaterialRenderer(static_cast<u32>(bases[i]))),
            EMT_NORMAL_MAP_SOLID + i);
    for (s32 i = 0; i < 3; ++i)
        d->addAndDropMaterialRenderer(
            new CBumpMapRenderer(device, d, d->getMaterialRenderer(static_cast<u32>(bases[i]))),
            EMT_PARALLAX_MAP_SOLID + i);
    d->addAndDropMaterialRenderer(new COneTextureBlendRenderer(device, d), EMT_ONETEXTURE_BLEND);
    d->addAndDropMaterialRenderer(new CD3D8RendererTransAlphaChVertexAlpha(device, d),
                                  EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA);
    d->addAndDropMaterialRenderer(new CD3D8RendererTransAlphaChVertexAlphaAdd(device, d),
                                  EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD);
}

}  // namespace oskel
