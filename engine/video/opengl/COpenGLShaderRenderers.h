#pragma once

#include "engine/video/opengl/COpenGLDriver.h"

namespace oskel {

// A material drawn by a GLSL program over the render states of a base material's renderer. It
// is the services its constant callback gets, so that constants can be set by name.
class COpenGLSLMaterialRenderer : public IMaterialRenderer, public IMaterialRendererServices {
public:
    // Compiles and links the programs (either may be missing); check isValid().
    COpenGLSLMaterialRenderer(COpenGLDriver* driver, const c8* vertexProgram,
                              const c8* pixelProgram, IShaderConstantSetCallBack* callback,
                              IMaterialRenderer* baseRenderer, s32 userData);
    ~COpenGLSLMaterialRenderer() override;

    bool isValid() const { return m_program != 0; }

    void OnSetMaterial(const SMaterial& material, const SMaterial& lastMaterial,
                       bool resetAllRenderStates, IMaterialRendererServices* services) override;
    bool OnRender(IMaterialRendererServices* services, u32 vertexType) override;
    void OnUnsetMaterial() override;
    bool isTransparent() const override;
    s32 getRenderCapability() const override { return 0; }

    void setBasicRenderStates(const SMaterial& material, const SMaterial& lastMaterial,
                              bool resetAllRenderStates) override;
    void setVertexShaderConstant(const f32* data, s32 startRegister,
                                 s32 constantCount = 1) override;
    bool setVertexShaderConstant(const c8* name, const f32* floats, s32 count) override;
    void setPixelShaderConstant(const f32* data, s32 startRegister,
                                s32 constantCount = 1) override;
    bool setPixelShaderConstant(const c8* name, const f32* floats, s32 count) override;
    IVideoDriver* getVideoDriver() override { return m_driver; }

protected:
    bool compile(GLenum kind, const c8* text);
    bool link();

    COpenGLDriver* m_driver;
    IShaderConstantSetCallBack* m_callback;
    IMaterialRenderer* m_baseRenderer;
    s32 m_userData;
    GLuint m_program = 0;
};

// A material drawn by ARB vertex and fragment programs over a base material's renderer.
class COpenGLShaderMaterialRenderer : public IMaterialRenderer {
public:
    COpenGLShaderMaterialRenderer(COpenGLDriver* driver, const c8* vertexProgram,
                                  const c8* pixelProgram, IShaderConstantSetCallBack* callback,
                                  IMaterialRenderer* baseRenderer, s32 userData);
    ~COpenGLShaderMaterialRenderer() override;

    bool isValid() const { return m_vertexProgram != 0 || m_pixelProgram != 0; }

    void OnSetMaterial(const SMaterial& material, const SMaterial& lastMaterial,
                       bool resetAllRenderStates, IMaterialRendererServices* services) override;
    bool OnRender(IMaterialRendererServices* services, u32 vertexType) override;
    void OnUnsetMaterial() override;
    bool isTransparent() const override;
    s32 getRenderCapability() const override { return 0; }

private:
    [[nodiscard]] bool load(GLenum target, const c8* text, GLuint& name);

    COpenGLDriver* m_driver;
    IShaderConstantSetCallBack* m_callback;
    IMaterialRenderer* m_baseRenderer;
    s32 m_userData;
    GLuint m_vertexProgram = 0;
    GLuint m_pixelProgram = 0;
    bool m_failed = false;
};

// The normal-map (parallax false) or parallax-map renderer over a base renderer: a per-pixel
// lit quad from the first light, its normals from the second texture (and, for parallax, the
// height in that texture's alpha, scaled by the type parameter). When the context cannot build
// the program, the base renderer itself (with a log line).
[[nodiscard]] IMaterialRenderer* createBumpMapRenderer(COpenGLDriver* driver, bool parallax,
                                         IMaterialRenderer* baseRenderer);

}  // namespace oskel
