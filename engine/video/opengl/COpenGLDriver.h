#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/platform/GLContext.h"
#include "engine/video/CMaterialState.h"
#include "engine/video/CNullDriver.h"
#include "engine/video/CTextureResource.h"
#include "engine/video/opengl/COpenGLExtensionHandler.h"

namespace oskel {

class COpenGLTexture;
class CTextureResource;

// The video driver that draws through OpenGL 1.x with extensions (a compatibility-profile
// context on the device's window). It is at the same time the services its material renderers
// call back into. Its 2D mode is what the quad batcher relies on: an orthographic projection of
// the render target in pixels, the world transform as model-view, and the current material
// applied through its renderer before each batch.
class COpenGLDriver : public CNullDriver, public IMaterialRendererServices {
public:
    COpenGLDriver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                  CTimer* timer = nullptr);
    ~COpenGLDriver() override;

    // Chooses the pixel format (making the window again for each try), makes the context and
    // sets the driver up. False, with a log line, when no context could be made.
    [[nodiscard]] bool initDriver();

    // IVideoDriver.
    bool beginScene(bool clearBackBuffer = true, bool clearZBuffer = true,
                    SColor color = SColor(0xFF000000u), void* windowId = nullptr,
                    const recti* sourceRect = nullptr) override;
    bool endScene() override;
    bool queryFeature(EVideoDriverFeature feature) const override;
    bool set3DRenderMode() override;
    bool set2DRenderMode() override;
    void setTransform(ETransformationState state, const matrix4& mat) override;
    void setMaterial(const SMaterial& material) override;
    void setViewPort(const recti& area) override;
    [[nodiscard]] ITexture* createDeviceDependentTexture(CImage* image) override;
    void drawVertexPrimitiveList(const void* vertices, u32 vertexCount, const u16* indices,
                                 u32 primitiveCount, u32 vertexType, u32 primitiveType) override;
    void draw2DImageStretched(ITexture* texture, const recti& destRect, const recti& sourceRect,
                              const recti* clipRect = nullptr, const SColor* colors = nullptr,
                              bool useAlphaChannel = false) override;
    void draw2DImage(ITexture* texture, const vector2di& position, const recti& sourceRect,
                     const recti* clipRect = nullptr, SColor color = SColor(0xFFFFFFFFu),
                     bool useAlphaChannel = false) override;
    void draw2DRectangleGradient(const recti& rect, SColor upperLeft, SColor upperRight,
                                 SColor lowerLeft, SColor lowerRight,
                                 const recti* clipRect = nullptr) override;
    void draw2DRectangle(SColor color, const recti& rect, const recti* clipRect = nullptr) override;
    void draw2DLine(const vector2df& start, const vector2df& end, SColor color) override;
    void drawPixel(u32 x, u32 y, SColor color) override;
    ECOLOR_FORMAT getColorFormat() const override { return m_colorFormat; }
    const dimension2di& getCurrentRenderTargetSize() const override;
    const wchar_t* getName() const override { return m_name.c_str(); }
    u32 getMaximalPrimitiveCount() const override { return 0xFFFF; }
    void OnResize(const dimension2di& size) override;
    s32 getDriverType() const override { return DriverOpenGL; }
    IGPUProgrammingServices* getGPUProgrammingServices() override { return this; }
    void clearZBuffer() override;
    stringc getVendorInfo() override { return m_vendor; }

    // Render targets, screen shots, lights, clip planes, fog and stencil shadows.
    [[nodiscard]] ITexture* createRenderTargetTexture(const dimension2di& size,
                                        ECOLOR_FORMAT format = ECF_UNKNOWN) override;
    bool setRenderTargetKind(ERenderTargetKind kind, bool clearBackBuffer = true,
                             bool clearZBuffer = true, SColor color = SColor(0)) override;
    bool setRenderTarget(ITexture* texture, bool clearBackBuffer = true, bool clearZBuffer = true,
                         SColor color = SColor(0)) override;
    [[nodiscard]] CImage* createScreenShot() override;
    void deleteAllDynamicLights() override;
    s32 addDynamicLight(const SLight& light) override;
    u32 getMaximalDynamicLightAmount() const override { return m_ext.MaxLights; }
    void turnLightOn(s32 index, bool on) override;
    void setAmbientLight(const SColorf& color) override;
    bool setClipPlane(u32 index, const plane3df& plane, bool enable = false) override;
    void enableClipPlane(u32 index, bool enable) override;
    void setFog(SColor color, bool linear, f32 start, f32 end, f32 density, bool pixelFog,
                bool rangeFog) override;
    void drawStencilShadowVolume(const vector3df* triangles, s32 cornerCount,
                                 bool depthFail) override;
    void drawStencilShadow(bool clearStencilBuffer, SColor upperLeft, SColor upperRight,
                           SColor lowerLeft, SColor lowerRight) override;

    // Shader materials: ARB programs and GLSL programs over a base material's renderer.
    s32 addHighLevelShaderMaterial(const c8* vertexProgram, const c8* vertexEntry,
                                   u32 vertexTarget, const c8* pixelProgram, const c8* pixelEntry,
                                   u32 pixelTarget, IShaderConstantSetCallBack* callback,
                                   s32 baseMaterial, s32 userData) override;
    s32 addShaderMaterial(const c8* vertexProgram, const c8* pixelProgram,
                          IShaderConstantSetCallBack* callback, s32 baseMaterial,
                          s32 userData) override;

    // IMaterialRendererServices.
    void setBasicRenderStates(const SMaterial& material, const SMaterial& lastMaterial,
                              bool resetAllRenderStates) override;
    void setVertexShaderConstant(const f32* data, s32 startRegister,
                                 s32 constantCount = 1) override;
    bool setVertexShaderConstant(const c8* name, const f32* floats, s32 count) override;
    void setPixelShaderConstant(const f32* data, s32 startRegister,
                                s32 constantCount = 1) override;
    bool setPixelShaderConstant(const c8* name, const f32* floats, s32 count) override;
    IVideoDriver* getVideoDriver() override { return this; }

    // Used by the renderers and the textures.
    // Binds the texture to the unit (none disables texturing there). The unit holds a reference
    // to what is bound, so a new texture at a freed texture's address is still bound.
    bool setTexture(u32 unit, ITexture* texture);
    // Empties and disables every unit from the given one on. Outside a material's application
    // the render states are marked for applying again: callers that change OpenGL's state
    // themselves call it to tell the driver.
    void disableTextures(u32 fromUnit = 0);
    void setWrapMode(const SMaterial& material);
    [[nodiscard]] ITexture* createDepthTexture(ITexture* renderTarget);
    void clearBuffers(bool backBuffer, bool depthBuffer, bool stencilBuffer, SColor color);
    // The texture bound to a unit, or none.
    ITexture* getBoundTexture(u32 unit) const;
    // The driver texture of a material layer (from its texture resource), or none.
    static ITexture* getLayerTexture(const SMaterialLayer& layer);

    COpenGLExtensionHandler& getExtensions() { return m_ext; }
    const COpenGLExtensionHandler& getExtensions() const { return m_ext; }
    // The anti-aliasing sample count the context ended with.
    u8 getAntiAliasSamples() const { return m_antiAlias; }
    bool hasStencilBuffer() const { return m_stencilBuffer; }
    bool isDoubleBuffered() const { return m_doubleBuffered; }
    // Whether the front buffer gives the presented frame back. Some renderers (Mesa's software
    // rasteriser on an X server) do not; while it is not known to, the driver keeps a copy of
    // each frame it presents for screen shots, as long as a screen shot user is registered. It
    // finds out on the frames it copies: when one differs from the one before it in a few rows,
    // the front buffer must show the earlier frame's rows before the swap and this one's after.
    enum EFrontBuffer { FrontBufferUntested = 0, FrontBufferReadable = 1, FrontBufferUnreadable = 2 };
    EFrontBuffer getFrontBufferState() const { return m_frontBuffer; }
    // Whether the frame presented last was copied for screen shots.
    bool hasPresentedFrameCopy() const { return m_presentedFrameCurrent; }
    // Frames presented since the driver was made.
    u32 getPresentedFrameCount() const { return m_presentedFrames; }
    // The OpenGL light a requested light has (-1 for none or an index out of range).
    s32 getHardwareLight(u32 index) const {
        return index < m_requestedLights.size() ? m_requestedLights[index].HardwareLight : -1;
    }
    bool isClipPlaneEnabled(u32 index) const {
        return index < m_clipPlaneEnabled.size() && m_clipPlaneEnabled[index];
    }
    const platform::SGLObtained& getObtainedFormat() const { return m_obtained; }
    // The driver's name for an OpenGL version text: "OpenGL " and the version up to its first
    // blank after the seventh character.
    static stringw makeName(const char* versionText);
    // The back buffer's colour format for the bits a context got.
    static ECOLOR_FORMAT colorFormatOfBits(int alphaBits, int redBits);

    enum ERenderMode { RenderModeNone = 0, RenderMode2D = 1, RenderMode3D = 2 };

private:
    bool genericDriverInit(const dimension2di& screenSize, bool stencilBuffer);
    void createMaterialRenderers();
    // Applies the current material through its renderer when it changed or a reset is pending.
    void applyMaterial();
    // The fixed 2D state of the image operations.
    void setRenderStates2DImage(bool alpha, bool texture, bool alphaChannel);
    void loadModelView();
    void loadTextureMatrix(u32 layer);
    void assignHardwareLight(u32 requested);
    void uploadClipPlane(u32 index);
    void draw2DQuad(const f32 positions[8], const f32* texCoords, const SColor colors[4]);
    // Empties the units from the given one on (the next draw binds its material's textures).
    void emptyTextureUnits(u32 fromUnit = 0);
    // Texture coordinates v of a render target's source rectangle, turned to its bottom-up rows.
    static void flipForRenderTarget(ITexture* texture, f32& v0, f32& v1);
    // The texture matrices of the material's units in 2D mode: identity, or the flip for units
    // that sample a render target.
    void setTextureMatrices2D();
    // Copies the back buffer (the frame about to be presented) into main memory.
    void keepPresentedFrame();
    // Takes the compared rows of the frame just copied; true when the earlier copied frame had
    // other colours there (the rows are then followed by the earlier frame's).
    bool takeProbeRows();
    // The front buffer's compared rows.
    void readFrontRows(std::vector<u8>& rows) const;

    COpenGLExtensionHandler m_ext;
    stringw m_name{L"OpenGL"};
    array<u8> m_colorBuffer;
    ERenderMode m_renderMode = RenderModeNone;
    // What each unit's texture matrix holds, as far as 2D mode knows.
    enum ETextureMatrix { TextureMatrixOther = 0, TextureMatrixIdentity, TextureMatrixFlip };
    ETextureMatrix m_textureMatrix2D[MATERIAL_MAX_TEXTURES] = {};
    bool m_applyingMaterial = false;  // inside a renderer's OnSetMaterial
    // The units were changed behind the last applied material: it is applied again (binding its
    // textures) even when the next material equals it.
    bool m_rebindMaterialTextures = false;
    u8 m_antiAlias = 0;
    // The current and the last applied material, the reset of the render states.
    CMaterialState m_materialState;
    ITexture* m_renderTarget = nullptr;
    CRefPtr<ITexture> m_boundTextures[4];
    array<plane3df> m_clipPlanes;
    array<bool> m_clipPlaneEnabled;
    dimension2di m_renderTargetSize{0, 0};
    stringc m_vendor;
    matrix4 m_textureFlipMatrix;
    ECOLOR_FORMAT m_colorFormat = ECF_R8G8B8;
    u32 m_renderTargetKind = ERT_FRAME_BUFFER;
    bool m_doubleBuffered = true;
    bool m_stereo = false;
    bool m_stencilBuffer = false;
    struct SRequestedLight {
        SLight Light;
        s32 HardwareLight = -1;
        bool DesignatedOn = true;
    };
    array<SRequestedLight> m_requestedLights;
    EFrontBuffer m_frontBuffer = FrontBufferUntested;
    u32 m_presentedFrames = 0;
    // The copy of a presented frame: its rows bottom-up, four bytes a pixel (blue, green, red,
    // alpha), the screen's size when it was taken.
    std::vector<u8> m_presentedFrame;
    dimension2di m_presentedFrameSize{0, 0};
    bool m_presentedFrameCurrent = false;  // the copy is of the frame presented last
    std::vector<u8> m_probeRows;  // the compared rows of the last copied frame (BGRA)
    platform::CGLContext m_context;
    platform::SGLObtained m_obtained;
    SDeviceParameters m_parameters;
};

// A new OpenGL driver, initialised, holding one reference; none (the driver released) when
// initialisation fails.
[[nodiscard]] IVideoDriver* createOpenGLDriver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                                 CTimer* timer = nullptr);

}  // namespace oskel
