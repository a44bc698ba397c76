#pragma once

#include "engine/video/d3d9/CD3D9Driver.h"

namespace oskel {

// The base of the Direct3D 9 driver's material renderers. A renderer sends the states of its
// type when the material type changed or a reset is asked, and then the basic states of the
// material through the driver's services.
class CD3D9FixedMaterialRenderer : public IMaterialRenderer {
public:
    CD3D9FixedMaterialRenderer(d3d::IDirect3DDevice9* device, CD3D9Driver* driver)
        : m_device(device), m_driver(driver) {}

    void OnSetMaterial(const SMaterial& material, const SMaterial& lastMaterial,
                       bool resetAllRenderStates, IMaterialRendererServices* services) override;
    bool OnRender(IMaterialRendererServices*, u32) override { return true; }
    void OnUnsetMaterial() override {}
    bool isTransparent() const override { return false; }
    s32 getRenderCapability() const override { return 0; }

    // Sets a named shader variable; renderers without shaders log "Invalid material to set
    // variable in." and give false.
    virtual bool setVariable(bool vertexShader, const c8* name, const f32* floats, s32 count);

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

    d3d::IDirect3DDevice9* m_device;
    CD3D9Driver* m_driver;
};

// Finds the shader compiler's functions ("D3DXAssembleShader", "D3DXCompileShader") in the one
// library "d3dx9_30.dll". A function that is missing is reported once for the whole run
// ("Could not load shader function ... from dll, shaders disabled", the library as hint) and
// not looked for again.
bool findShaderFunction(const char* function);
// Whether the reports were given (tests forget them to see them again).
void forgetShaderFunctionReports();

// Registers the renderers of the built-in material types 0 to 25 with the driver.
void createD3D9MaterialRenderers(CD3D9Driver* driver);

}  // namespace oskel
