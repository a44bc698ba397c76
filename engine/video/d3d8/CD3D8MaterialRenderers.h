#pragma once

#include "engine/video/d3d8/CD3D8Driver.h"

namespace oskel {

// The base of the Direct3D 8 driver's material renderers. A renderer sends the states of its
// type when the material type changed or a reset is asked, and then the basic states of the
// material through the driver's services.
class CD3D8FixedMaterialRenderer : public IMaterialRenderer {
public:
    CD3D8FixedMaterialRenderer(d3d::IDirect3DDevice8* device, CD3D8Driver* driver)
        : m_device(device), m_driver(driver) {}

    void OnSetMaterial(const SMaterial& material, const SMaterial& lastMaterial,
                       bool resetAllRenderStates, IMaterialRendererServices* services) override;
    bool OnRender(IMaterialRendererServices*, u32) override { return true; }
    void OnUnsetMaterial() override {}
    bool isTransparent() const override { return false; }
    s32 getRenderCapability() const override { return 0; }

protected:
    // The states of the type.
    virtual void setTypeStates(const SMaterial&) {}
    // Whether the type keeps depth writing off (the material's own flag is not sent).
    virtual bool writesNoDepth() const { return false; }

    // Stage helpers: an operation with its two arguments, a stage switched off.
    void stageColor(d3d::DWORD stage, d3d::D3DTEXTUREOP op, d3d::DWORD arg1 = d3d::D3DTA_TEXTURE,
                    d3d::DWORD arg2 = d3d::D3DTA_DIFFUSE);
    void stageAlpha(d3d::DWORD stage, d3d::D3DTEXTUREOP op, d3d::DWORD arg1 = d3d::D3DTA_TEXTURE,
                    d3d::DWORD arg2 = d3d::D3DTA_DIFFUSE);
    void stageOff(d3d::DWORD stage);
    void blending(bool on, d3d::D3DBLEND source = d3d::D3DBLEND_SRCALPHA,
                  d3d::D3DBLEND destination = d3d::D3DBLEND_INVSRCALPHA);
    void alphaTest(bool on, d3d::DWORD reference = 0);

    d3d::IDirect3DDevice8* m_device;
    CD3D8Driver* m_driver;
};

// Registers the renderers of the built-in material types 0 to 25 with the driver.
void createD3D8MaterialRenderers(CD3D8Driver* driver);

}  // namespace oskel
