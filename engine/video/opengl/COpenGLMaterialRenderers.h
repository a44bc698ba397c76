#pragma once

#include "engine/video/opengl/COpenGLDriver.h"

namespace oskel {

// The base of the driver's fixed-function renderers.
class COpenGLMaterialRenderer : public IMaterialRenderer {
public:
    explicit COpenGLMaterialRenderer(COpenGLDriver* driver) : m_driver(driver) {}

    void OnSetMaterial(const SMaterial& material, const SMaterial& lastMaterial,
                       bool resetAllRenderStates, IMaterialRendererServices* services) override;
    bool OnRender(IMaterialRendererServices*, u32) override { return true; }
    void OnUnsetMaterial() override {}
    bool isTransparent() const override { return false; }
    s32 getRenderCapability() const override { return 0; }

protected:
    // The states of the material type, set when the type changed or a reset is asked.
    virtual void setTypeStates(const SMaterial&) {}
    // How many layers bind their textures (units from this count are disabled).
    virtual u32 textureLayers() const { return 1; }
    // Binds the material's layers below the count, each one or nothing.
    void bindLayers(const SMaterial& material, u32 count);

    COpenGLDriver* m_driver;
};

// Creates the renderers of the built-in material types 0 to 25 and registers them.
void createOpenGLMaterialRenderers(COpenGLDriver* driver);

}  // namespace oskel
