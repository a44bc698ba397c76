#pragma once

// The stock material renderers of the Direct3D drivers, written once over a small traits type:
//   Device  the face's device (IDirect3DDevice8 or IDirect3DDevice9);
//   Driver  the driver (keepDepthWritingOff, getSphereMapMatrix, the renderer registry);
//   static void prepareShaderPrograms(Driver*)  run when a normal- or parallax-map renderer is
//           made: what the driver looks for before its programs would be assembled.
// Both faces take the same texture-stage and render states, so the renderers differ only in the
// device they send them to.

#include "engine/core/CLogger.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel::d3dcommon {

// The base: a renderer sends the states of its type when the material type changed or a reset
// is asked, and then the basic states of the material through the driver's services.
template <class Traits>
class TFixedMaterialRenderer : public IMaterialRenderer {
public:
    using Device = typename Traits::Device;
    using Driver = typename Traits::Driver;

    TFixedMaterialRenderer(Device* device, Driver* driver) : m_device(device), m_driver(driver) {}

    void OnSetMaterial(const SMaterial& material, const SMaterial& last, bool reset,
                       IMaterialRendererServices* services) override {
        if (reset || material.MaterialType != last.MaterialType) setTypeStates(material);
        // The type's own rule: the material being applied has depth writing off, and so has the
        // last material the driver keeps of it.
        if (writesNoDepth()) m_driver->keepDepthWritingOff();
        services->setBasicRenderStates(material, last, reset);
    }
    bool OnRender(IMaterialRendererServices*, u32) override { return true; }
    void OnUnsetMaterial() override {}
    bool isTransparent() const override { return false; }
    s32 getRenderCapability() const override { return 0; }

    // Sets a named shader variable; renderers without shaders log "Invalid material to set
    // variable in." and give false.
    virtual bool setVariable(bool, const c8*, const f32*, s32) {
        CLogger::instance().log("Invalid material to set variable in.", LogInformation);
        return false;
    }

protected:
    // The states of the type.
    virtual void setTypeStates(const SMaterial&) {}
    // Whether the type keeps depth writing off (the material's own flag is not sent).
    virtual bool writesNoDepth() const { return false; }

    // Stage helpers: an operation with its two arguments, a stage switched off.
    void stageColor(DWORD stage, D3DTEXTUREOP op, DWORD arg1 = D3DTA_TEXTURE,
                    DWORD arg2 = D3DTA_DIFFUSE) {
        m_device->SetTextureStageState(stage, D3DTSS_COLOROP, op);
        m_device->SetTextureStageState(stage, D3DTSS_COLORARG1, arg1);
        m_device->SetTextureStageState(stage, D3DTSS_COLORARG2, arg2);
    }
    void stageAlpha(DWORD stage, D3DTEXTUREOP op, DWORD arg1 = D3DTA_TEXTURE,
                    DWORD arg2 = D3DTA_DIFFUSE) {
        m_device->SetTextureStageState(stage, D3DTSS_ALPHAOP, op);
        m_device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, arg1);
        m_device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, arg2);
    }
    void stageOff(DWORD stage) {
        m_device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
        m_device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }
    void blending(bool on, D3DBLEND source = D3DBLEND_SRCALPHA,
                  D3DBLEND destination = D3DBLEND_INVSRCALPHA) {
        m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, on ? TRUE : FALSE);
        if (!on) return;
        m_device->SetRenderState(D3DRS_SRCBLEND, source);
        m_device->SetRenderState(D3DRS_DESTBLEND, destination);
    }
    void alphaTest(bool on, DWORD reference = 0) {
        m_device->SetRenderState(D3DRS_ALPHATESTENABLE, on ? TRUE : FALSE);
        if (!on) return;
        m_device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        m_device->SetRenderState(D3DRS_ALPHAREF, reference);
    }

    Device* m_device;
    Driver* m_driver;
};

// The coordinate set stage 1 reads: the vertex's second set when it has one, else the first
// (sprites and standard vertices carry one set).
template <class Traits>
class TTwoStageRenderer : public TFixedMaterialRenderer<Traits> {
public:
    using TFixedMaterialRenderer<Traits>::TFixedMaterialRenderer;
    void OnSetMaterial(const SMaterial& material, const SMaterial& last, bool reset,
                       IMaterialRendererServices* services) override {
        if (reset || material.MaterialType != last.MaterialType) m_secondSet = ~0u;
        TFixedMaterialRenderer<Traits>::OnSetMaterial(material, last, reset, services);
    }
    bool OnRender(IMaterialRendererServices*, u32 vertexType) override {
        const DWORD set = vertexType == EVT_2TCOORDS ? 1u : 0u;
        if (set != m_secondSet) {
            this->m_device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, set);
            m_secondSet = set;
        }
        return true;
    }

protected:
    DWORD m_secondSet = ~0u;
};

// EMT_SOLID: the texture times the vertex colour (or the lighting), opaque.
template <class Traits>
class TSolidRenderer : public TFixedMaterialRenderer<Traits> {
public:
    using TFixedMaterialRenderer<Traits>::TFixedMaterialRenderer;

protected:
    void setTypeStates(const SMaterial&) override {
        this->stageColor(0, D3DTOP_MODULATE);
        this->stageAlpha(0, D3DTOP_DISABLE);
        this->stageOff(1);
        this->blending(false);
        this->alphaTest(false);
    }
};

// EMT_SOLID_2_LAYER: the second texture over the first by the vertex alpha.
template <class Traits>
class TSolid2LayerRenderer : public TTwoStageRenderer<Traits> {
public:
    using TTwoStageRenderer<Traits>::TTwoStageRenderer;

protected:
    void setTypeStates(const SMaterial&) override {
        this->stageColor(0, D3DTOP_SELECTARG1);
        this->stageAlpha(0, D3DTOP_DISABLE);
        this->stageColor(1, D3DTOP_BLENDDIFFUSEALPHA, D3DTA_TEXTURE, D3DTA_CURRENT);
        this->stageAlpha(1, D3DTOP_DISABLE);
        this->blending(false);
        this->alphaTest(false);
    }
};

// 2 to 8: the light map (second texture) modulates, is added to or scales the first; the lit
// kinds take the vertex colour (or the lighting) into the first texture.
template <class Traits>
class TLightMapRenderer : public TTwoStageRenderer<Traits> {
public:
    using TTwoStageRenderer<Traits>::TTwoStageRenderer;

protected:
    void setTypeStates(const SMaterial& material) override {
        const s32 type = material.MaterialType;
        this->stageColor(0, type >= EMT_LIGHTMAP_LIGHTING ? D3DTOP_MODULATE : D3DTOP_SELECTARG1);
        this->stageAlpha(0, D3DTOP_DISABLE);
        D3DTEXTUREOP op = D3DTOP_MODULATE;
        if (type == EMT_LIGHTMAP_ADD) op = D3DTOP_ADD;
        if (type == EMT_LIGHTMAP_M2 || type == EMT_LIGHTMAP_LIGHTING_M2) op = D3DTOP_MODULATE2X;
        if (type == EMT_LIGHTMAP_M4 || type == EMT_LIGHTMAP_LIGHTING_M4) op = D3DTOP_MODULATE4X;
        this->stageColor(1, op, D3DTA_TEXTURE, D3DTA_CURRENT);
        this->stageAlpha(1, D3DTOP_DISABLE);
        this->blending(false);
        this->alphaTest(false);
    }
};

// EMT_DETAIL_MAP: the detail texture added signed to the first.
template <class Traits>
class TDetailMapRenderer : public TTwoStageRenderer<Traits> {
public:
    using TTwoStageRenderer<Traits>::TTwoStageRenderer;

protected:
    void setTypeStates(const SMaterial&) override {
        this->stageColor(0, D3DTOP_MODULATE);
        this->stageAlpha(0, D3DTOP_DISABLE);
        this->stageColor(1, D3DTOP_ADDSIGNED, D3DTA_TEXTURE, D3DTA_CURRENT);
        this->stageAlpha(1, D3DTOP_DISABLE);
        this->blending(false);
        this->alphaTest(false);
    }
};

// The coordinates of a stage made from the reflection of the view about the normal, through the
// sphere-map matrix: the texture follows the view, not the vertices' coordinates.
template <class Device, class Driver>
void sphereMapOn(Device* device, Driver* driver, DWORD stage) {
    device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX,
                                 D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
    device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    const D3DMATRIX sphere = matrixOf(driver->getSphereMapMatrix());
    device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &sphere);
}

template <class Device>
void sphereMapOff(Device* device, DWORD stage) {
    device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
    device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
}

// EMT_SPHERE_MAP.
template <class Traits>
class TSphereMapRenderer : public TFixedMaterialRenderer<Traits> {
public:
    using TFixedMaterialRenderer<Traits>::TFixedMaterialRenderer;
    void OnUnsetMaterial() override { sphereMapOff(this->m_device, 0); }

protected:
    void setTypeStates(const SMaterial&) override {
        this->stageColor(0, D3DTOP_MODULATE);
        this->stageAlpha(0, D3DTOP_DISABLE);
        this->stageOff(1);
        this->blending(false);
        this->alphaTest(false);
        sphereMapOn(this->m_device, this->m_driver, 0);
    }
};

// EMT_REFLECTION_2_LAYER and EMT_TRANSPARENT_REFLECTION_2_LAYER: the second texture as a
// reflection modulating the first; the transparent one blended by the vertex alpha.
template <class Traits>
class TReflectionRenderer : public TFixedMaterialRenderer<Traits> {
public:
    TReflectionRenderer(typename Traits::Device* device, typename Traits::Driver* driver,
                        bool transparent)
        : TFixedMaterialRenderer<Traits>(device, driver), m_transparent(transparent) {}
    bool isTransparent() const override { return m_transparent; }
    void OnUnsetMaterial() override {
        sphereMapOff(this->m_device, 1);
        if (m_transparent) this->blending(false);
    }

protected:
    void setTypeStates(const SMaterial&) override {
        this->stageColor(0, D3DTOP_MODULATE);
        this->stageColor(1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
        if (m_transparent) {
            this->stageAlpha(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
            this->stageAlpha(1, D3DTOP_SELECTARG1, D3DTA_CURRENT);
        } else {
            this->stageAlpha(0, D3DTOP_DISABLE);
            this->stageAlpha(1, D3DTOP_DISABLE);
        }
        this->blending(m_transparent);
        this->alphaTest(false);
        sphereMapOn(this->m_device, this->m_driver, 1);
    }

private:
    bool m_transparent;
};

// EMT_TRANSPARENT_ADD_COLOR: the colour added over the target (source one, destination one
// minus the source colour).
template <class Traits>
class TTransparentAddRenderer : public TFixedMaterialRenderer<Traits> {
public:
    using TFixedMaterialRenderer<Traits>::TFixedMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnUnsetMaterial() override { this->blending(false); }

protected:
    bool writesNoDepth() const override { return true; }
    void setTypeStates(const SMaterial&) override {
        this->stageColor(0, D3DTOP_MODULATE);
        this->stageAlpha(0, D3DTOP_DISABLE);
        this->stageOff(1);
        this->blending(true, D3DBLEND_ONE, D3DBLEND_INVSRCCOLOR);
        this->alphaTest(false);
    }
};

// EMT_TRANSPARENT_ALPHA_CHANNEL: blended by the texture's alpha; pixels whose alpha is not above
// the type parameter (0 to 1) are dropped.
template <class Traits>
class TAlphaChannelRenderer : public TFixedMaterialRenderer<Traits> {
public:
    using TFixedMaterialRenderer<Traits>::TFixedMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnSetMaterial(const SMaterial& material, const SMaterial& last, bool reset,
                       IMaterialRendererServices* services) override {
        TFixedMaterialRenderer<Traits>::OnSetMaterial(material, last, reset, services);
        if (reset || material.MaterialType != last.MaterialType ||
            material.MaterialTypeParam != last.MaterialTypeParam)
            this->alphaTest(true, referenceOf(material.MaterialTypeParam));
    }
    void OnUnsetMaterial() override {
        this->blending(false);
        this->alphaTest(false);
    }

protected:
    bool writesNoDepth() const override { return true; }
    void setTypeStates(const SMaterial&) override {
        this->stageColor(0, D3DTOP_MODULATE);
        this->stageAlpha(0, D3DTOP_SELECTARG1);
        this->stageOff(1);
        this->blending(true);
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
template <class Traits>
class TAlphaChannelRefRenderer : public TFixedMaterialRenderer<Traits> {
public:
    using TFixedMaterialRenderer<Traits>::TFixedMaterialRenderer;
    void OnUnsetMaterial() override { this->alphaTest(false); }

protected:
    static constexpr DWORD kHalf = 127;
    bool writesNoDepth() const override { return true; }
    void setTypeStates(const SMaterial&) override {
        this->stageColor(0, D3DTOP_MODULATE);
        this->stageAlpha(0, D3DTOP_SELECTARG1);
        this->stageOff(1);
        this->blending(false);
        this->alphaTest(true, kHalf);
    }
};

// EMT_TRANSPARENT_VERTEX_ALPHA: the texture times the vertex colour, blended by the vertex alpha
// alone.
template <class Traits>
class TVertexAlphaRenderer : public TFixedMaterialRenderer<Traits> {
public:
    using TFixedMaterialRenderer<Traits>::TFixedMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnUnsetMaterial() override { this->blending(false); }

protected:
    bool writesNoDepth() const override { return true; }
    void setTypeStates(const SMaterial&) override {
        this->stageColor(0, D3DTOP_MODULATE);
        this->stageAlpha(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
        this->stageOff(1);
        this->blending(true);
        this->alphaTest(false);
    }
};

// Normal and parallax maps: shader programs over a base renderer. The programs cannot be made on
// this layer (the traits' hook looks for what a driver asks for and reports what is missing), so
// the base renderer draws.
template <class Traits>
class TBumpMapRenderer : public TFixedMaterialRenderer<Traits> {
public:
    TBumpMapRenderer(typename Traits::Device* device, typename Traits::Driver* driver,
                     IMaterialRenderer* base)
        : TFixedMaterialRenderer<Traits>(device, driver), m_base(base) {
        if (m_base) m_base->grab();
        Traits::prepareShaderPrograms(driver);
    }
    ~TBumpMapRenderer() override {
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
template <class Traits>
class TOneTextureBlendRenderer : public TFixedMaterialRenderer<Traits> {
public:
    using TFixedMaterialRenderer<Traits>::TFixedMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnSetMaterial(const SMaterial& material, const SMaterial& last, bool reset,
                       IMaterialRendererServices* services) override {
        TFixedMaterialRenderer<Traits>::OnSetMaterial(material, last, reset, services);
        if (reset || material.MaterialType != last.MaterialType ||
            material.MaterialTypeParam != last.MaterialTypeParam) {
            const u32 packed = static_cast<u32>(material.MaterialTypeParam);
            this->blending(true, blendFactorOf((packed >> 4) & 0xF), blendFactorOf(packed & 0xF));
        }
    }
    void OnUnsetMaterial() override { this->blending(false); }

protected:
    void setTypeStates(const SMaterial&) override {
        this->stageColor(0, D3DTOP_MODULATE);
        this->stageAlpha(0, D3DTOP_MODULATE);
        this->stageOff(1);
        this->alphaTest(false);
    }
};

// 24 and 25, the sprite materials: the texture's colour multiplied by (24) or added to (25) the
// vertex colour, its alpha multiplied by the vertex alpha, blended with the source alpha. The
// material's depth writing is left as it is.
template <class Traits>
class TRendererTransAlphaChVertexAlpha : public TFixedMaterialRenderer<Traits> {
public:
    using TFixedMaterialRenderer<Traits>::TFixedMaterialRenderer;
    bool isTransparent() const override { return true; }
    void OnUnsetMaterial() override {
        this->m_device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    }

protected:
    // The operation that puts the texture's colour and the vertex colour together.
    virtual D3DTEXTUREOP colorOperation() const { return D3DTOP_MODULATE; }
    void setTypeStates(const SMaterial&) override {
        this->stageColor(0, colorOperation());
        this->stageAlpha(0, D3DTOP_MODULATE);
        this->stageOff(1);
        this->m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        this->m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        this->m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
};

template <class Traits>
class TRendererTransAlphaChVertexAlphaAdd : public TRendererTransAlphaChVertexAlpha<Traits> {
public:
    using TRendererTransAlphaChVertexAlpha<Traits>::TRendererTransAlphaChVertexAlpha;

protected:
    D3DTEXTUREOP colorOperation() const override { return D3DTOP_ADD; }
};

// Registers the renderers of the built-in material types 0 to 25 with the driver; the sprite
// materials 24 and 25 are made as the driver's own named classes.
template <class Traits, class TransAlphaChVertexAlpha, class TransAlphaChVertexAlphaAdd>
void createFixedMaterialRenderers(typename Traits::Driver* d) {
    typename Traits::Device* device = d->getDirect3DDevice();
    d->addAndDropMaterialRenderer(new TSolidRenderer<Traits>(device, d), EMT_SOLID);
    d->addAndDropMaterialRenderer(new TSolid2LayerRenderer<Traits>(device, d), EMT_SOLID_2_LAYER);
    // One light-map renderer serves the seven light-map types.
    auto* lightMap = new TLightMapRenderer<Traits>(device, d);
    for (s32 type = EMT_LIGHTMAP; type <= EMT_LIGHTMAP_LIGHTING_M4; ++type)
        d->setMaterialRenderer(type, lightMap);
    lightMap->drop();
    d->addAndDropMaterialRenderer(new TDetailMapRenderer<Traits>(device, d), EMT_DETAIL_MAP);
    d->addAndDropMaterialRenderer(new TSphereMapRenderer<Traits>(device, d), EMT_SPHERE_MAP);
    d->addAndDropMaterialRenderer(new TReflectionRenderer<Traits>(device, d, false),
                                  EMT_REFLECTION_2_LAYER);
    d->addAndDropMaterialRenderer(new TTransparentAddRenderer<Traits>(device, d),
                                  EMT_TRANSPARENT_ADD_COLOR);
    d->addAndDropMaterialRenderer(new TAlphaChannelRenderer<Traits>(device, d),
                                  EMT_TRANSPARENT_ALPHA_CHANNEL);
    d->addAndDropMaterialRenderer(new TAlphaChannelRefRenderer<Traits>(device, d),
                                  EMT_TRANSPARENT_ALPHA_CHANNEL_REF);
    d->addAndDropMaterialRenderer(new TVertexAlphaRenderer<Traits>(device, d),
                                  EMT_TRANSPARENT_VERTEX_ALPHA);
    d->addAndDropMaterialRenderer(new TReflectionRenderer<Traits>(device, d, true),
                                  EMT_TRANSPARENT_REFLECTION_2_LAYER);
    // Normal and parallax maps over the renderers of types 0, 12 and 15.
    const s32 bases[3] = {EMT_SOLID, EMT_TRANSPARENT_ADD_COLOR, EMT_TRANSPARENT_VERTEX_ALPHA};
    for (s32 i = 0; i < 3; ++i)
        d->addAndDropMaterialRenderer(
            new TBumpMapRenderer<Traits>(device, d,
                                         d->getMaterialRenderer(static_cast<u32>(bases[i]))),
            EMT_NORMAL_MAP_SOLID + i);
    for (s32 i = 0; i < 3; ++i)
        d->addAndDropMaterialRenderer(
            new TBumpMapRenderer<Traits>(device, d,
                                         d->getMaterialRenderer(static_cast<u32>(bases[i]))),
            EMT_PARALLAX_MAP_SOLID + i);
    d->addAndDropMaterialRenderer(new TOneTextureBlendRenderer<Traits>(device, d),
                                  EMT_ONETEXTURE_BLEND);
    d->addAndDropMaterialRenderer(new TransAlphaChVertexAlpha(device, d),
                                  EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA);
    d->addAndDropMaterialRenderer(new TransAlphaChVertexAlphaAdd(device, d),
                                  EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD);
}

}  // namespace oskel::d3dcommon
