#pragma once

#include <array>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/platform/d3d/D3D8.h"
#include "engine/video/CMaterialState.h"
#include "engine/video/CNullDriver.h"

namespace oskel {

class CD3D8Texture;

// The video driver that draws through Direct3D 8 (the platform's Direct3D-shaped layer, loaded
// as "d3d8.dll"), the settings' default. It keeps no texture cache: each texture belongs to
// whoever asked for it. Its
// explicit 2D mode is what the quad batcher relies on: vertices in pixels under an orthographic
// projection of the render target, the world transform applied, the current material sent
// through its renderer before each batch. It is at the same time the services its material
// renderers call back into.
class CD3D8Driver : public CNullDriver, public IMaterialRendererServices {
public:
    // The render modes: which set of states was sent last. The images of draw2DImage and
    // draw2DImageStretched have a mode of their own (clip coordinates, identity transforms),
    // so that leaving it or entering it always sends the other's transforms and states.
    enum ERenderMode : u32 {
        RenderModeNone = 0,
        RenderMode2D = 1,
        RenderMode3D = 2,
        RenderModeStencilFill = 3,
        RenderModeShadowVolumeZFail = 4,
        RenderModeShadowVolumeZPass = 5,
        RenderModeImages = 6,
    };

    CD3D8Driver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                CTimer* timer = nullptr);
    ~CD3D8Driver() override;

    // Loads Direct3D 8, chooses the back buffer, depth and multisample formats and makes
    // the device. False, with a log line, when no device could be made.
    [[nodiscard]] bool initialiseDevice(const SDeviceParameters& parameters);

    // IVideoDriver: frame, modes, features.
    bool beginScene(bool clearBackBuffer = true, bool clearZBuffer = true,
                    SColor color = SColor(0xFF000000u), void* windowId = nullptr,
                    const recti* sourceRect = nullptr) override;
    bool endScene() override;
    bool queryFeature(EVideoDriverFeature feature) const override;
    bool set3DRenderMode() override;
    bool set2DRenderMode() override;
    void setTransform(ETransformationState state, const matrix4& mat) override;
    void setMaterial(const SMaterial& material) override;

    // Textures and render targets.
    [[nodiscard]] ITexture* createRenderTargetTexture(const dimension2di& size,
                                                      ECOLOR_FORMAT format = ECF_UNKNOWN) override;
    bool setRenderTarget(ITexture* texture, bool clearBackBuffer = true, bool clearZBuffer = true,
                         SColor color = SColor(0)) override;
    void setViewPort(const recti& area) override;
    const recti& getViewPort() const override { return m_viewPort; }
    [[nodiscard]] ITexture* createDeviceDependentTexture(CImage* image) override;

    // Drawing.
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
    void draw2DLine(const vector2df& start, const vector2df& end, SColor color) override;
    void drawPixel(u32 x, u32 y, SColor color) override;
    void drawStencilShadowVolume(const vector3df* triangles, s32 cornerCount,
                                 bool depthFail) override;
    void drawStencilShadow(bool clearStencilBuffer, SColor upperLeft, SColor upperRight,
                           SColor lowerLeft, SColor lowerRight) override;
    void setFog(SColor color, bool linear, f32 start, f32 end, f32 density, bool pixelFog,
                bool rangeFog) override;

    // Facts. The colour format is the null driver's (R5G6B5), whatever the back buffer's.
    const dimension2di& getCurrentRenderTargetSize() const override;
    const wchar_t* getName() const override { return L"Direct3D 8.1"; }
    u32 getMaximalPrimitiveCount() const override { return m_caps.MaxPrimitiveCount; }
    void setTextureCreationFlag(ETextureCreationFlag flag, bool on) override;
    void OnResize(const dimension2di& size) override;
    s32 getDriverType() const override { return DriverDirect3D8; }
    IGPUProgrammingServices* getGPUProgrammingServices() override { return this; }
    void clearZBuffer() override;
    [[nodiscard]] CImage* createScreenShot() override;

    // Lights, clip planes, the ambient light.
    void deleteAllDynamicLights() override;
    s32 addDynamicLight(const SLight& light) override;
    u32 getMaximalDynamicLightAmount() const override { return m_caps.MaxActiveLights; }
    void turnLightOn(s32 index, bool on) override;
    bool setClipPlane(u32 index, const plane3df& plane, bool enable = false) override;
    void enableClipPlane(u32 index, bool enable) override;
    void setAmbientLight(const SColorf& color) override;

    // Shader materials: nothing can be assembled on this layer, so nothing is registered and the
    // call gives -1. The high-level form is the null driver's.
    s32 addShaderMaterial(const c8* vertexProgram, const c8* pixelProgram,
                          IShaderConstantSetCallBack* callback, s32 baseMaterial,
                          s32 userData) override;

    // IMaterialRendererServices.
    void setBasicRenderStates(const SMaterial& material, const SMaterial& lastMaterial,
                              bool resetAllRenderStates) override;
    void setVertexShaderConstant(const f32* data, s32 startRegister,
                                 s32 constantCount = 1) override;
    bool setVertexShaderConstant(const c8* name, const f32* floats, s32 count) override;
    void setPixelShaderConstant(const f32* data, s32 startRegister, s32 constantCount = 1) override;
    bool setPixelShaderConstant(const c8* name, const f32* floats, s32 count) override;
    IVideoDriver* getVideoDriver() override { return this; }

    // The driver's own operations.
    void draw3DLine(const vector3df& start, const vector3df& end, SColor color);
    // Resets the device with the present parameters (the start of a frame after a loss, a
    // resize). Render-target textures are released around it and made again, cleared.
    bool resetDevice();

    // Used by the renderers and the textures.
    d3d::IDirect3DDevice8* getDirect3DDevice() const { return m_device; }
    const d3d::D3DCAPS8& getCaps() const { return m_caps; }
    // Binds the texture to the stage (none unbinds it). The stage holds a reference to what is
    // bound. A texture of another driver is refused.
    bool setTexture(u32 stage, ITexture* texture);
    ITexture* getCurrentTexture(u32 stage) const;
    // The material being applied gets depth writing off (the renderers of types that never
    // write depth).
    void keepDepthWritingOff() { m_materialState.currentToChange().ZWriteEnable = false; }
    // The vertex type, whose format is sent to the device on every call (also when unchanged).
    void setVertexType(u32 vertexType);
    u32 getLastVertexType() const { return m_lastVertexType; }
    ERenderMode getRenderMode() const { return m_renderMode; }
    const SMaterial& getCurrentMaterial() const { return m_materialState.current(); }
    const SMaterial& getLastMaterial() const { return m_materialState.last(); }
    // The sample count chosen (1 without multisampling).
    u32 getSampleCount() const {
        const u32 samples = m_present.MultiSampleType;
        return samples > 1 ? samples : 1u;
    }
    bool hasWindowedVsync() const { return m_windowedVsync; }
    bool hasStencilBuffer() const { return m_stencilBuffer; }
    bool isDeviceLost() const { return m_deviceLost; }
    u32 getTextureUnitCount() const { return m_textureUnits; }
    u32 getClipPlaneCount() const { return m_clipPlaneCount; }
    bool isClipPlaneEnabled(u32 index) const;
    const d3d::D3DPRESENT_PARAMETERS8& getPresentParameters() const { return m_present; }
    // The shared matrices.
    const matrix4& getSphereMapMatrix() const { return m_sphereMap; }

    // Render-target textures tell the driver they live, so that a reset can release them.
    void registerRenderTarget(CD3D8Texture* texture);
    void unregisterRenderTarget(CD3D8Texture* texture);

private:
    bool loadDirect3D();
    // Waits for the vertical blank when a window asked for vertical sync and the scan line can
    // be read.
    void waitForVerticalBlank();
    void createMaterialRenderers();
    // Material application, shared by 2D and 3D mode.
    bool applyMaterial(bool unsetPrevious);
    void enterFixed2DMode();
    void setFixed2DStates(bool alpha, bool texture, bool alphaChannel);
    void setStencilFillStates(bool alpha);
    void setShadowVolumeStates(bool zFail);
    // Unbinds stage 0 when something is bound there (2D primitives draw untextured).
    void unbindStage0();
    void sendStoredTransforms();
    void sendLightsAndClipPlanes();
    void drawImageQuad(const void* corners);
    // Releases and makes again what lives in the default pool around a reset.
    void releaseDefaultPoolResources();
    void restoreDefaultPoolResources();

    ERenderMode m_renderMode = RenderModeNone;
    d3d::D3DPRESENT_PARAMETERS8 m_present{};
    bool m_windowedVsync = false;
    CMaterialState m_materialState;
    bool m_stencilBuffer;
    CRefPtr<ITexture> m_currentTextures[MATERIAL_MAX_TEXTURES];
    d3d::HMODULE m_library = nullptr;
    d3d::IDirect3D8* m_d3d = nullptr;
    d3d::IDirect3DDevice8* m_device = nullptr;
    d3d::IDirect3DSurface8* m_previousRenderTarget = nullptr;
    dimension2di m_renderTargetSize{0, 0};
    void* m_presentWindow = nullptr;
    const recti* m_presentSourceRect = nullptr;
    d3d::D3DCAPS8 m_caps{};
    u32 m_lastVertexType = 0xFFFFFFFFu;
    u32 m_textureUnits = 0;
    u32 m_clipPlaneCount = 0;
    f32 m_largestLightRange;
    s32 m_lastLight = -1;
    bool m_deviceLost = false;
    SColorf m_ambientLight{0.0f, 0.0f, 0.0f, 0.0f};
    bool m_transformChanged = true;
    matrix4 m_sphereMap;
    void* m_window = nullptr;
    // What a reset makes the device forget: the lights set (and whether each is on), the clip
    // planes given and the enabled ones.
    std::vector<bool> m_lightOn;
    std::vector<std::array<f32, 4>> m_clipPlanes;
    d3d::DWORD m_clipPlanesEnabled = 0;
    std::vector<CD3D8Texture*> m_renderTargets;
    std::vector<u8> m_vertexBuffer;
};

// A new Direct3D 8 driver, initialised, holding one reference; none (the driver released) when
// initialisation fails.
[[nodiscard]] IVideoDriver* createDirect3D8Driver(const SDeviceParameters& parameters,
                                                  CFileSystem* fileSystem, CTimer* timer = nullptr);

}  // namespace oskel
