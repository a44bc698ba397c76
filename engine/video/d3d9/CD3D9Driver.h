#pragma once

#include <array>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/platform/d3d/D3D9.h"
#include "engine/video/CMaterialState.h"
#include "engine/video/CNullDriver.h"
#include "engine/video/d3dcommon/D3DDeviceStates.h"
#include "engine/video/d3dcommon/D3DDriverDrawing.h"
#include "engine/video/d3dcommon/D3DDriverFrames.h"
#include "engine/video/d3dcommon/D3DDriverModes.h"

namespace oskel {

class CD3D9Texture;
class CD3D9Driver;

// What the code the Direct3D drivers share needs of the Direct3D 9 face.
struct CD3D9Traits {
    using Device = d3d::IDirect3DDevice9;
    using Surface = d3d::IDirect3DSurface9;
    using Driver = CD3D9Driver;
    // Images are sampled linearly within a level, from the nearest level.
    static constexpr d3d::D3DTEXTUREFILTERTYPE kImageFilter = d3d::D3DTEXF_LINEAR;
    static constexpr d3d::D3DTEXTUREFILTERTYPE kImageMipFilter = d3d::D3DTEXF_POINT;
    // The image mode switches specular highlights off and wraps sampler 0.
    static constexpr bool kImageModeSpecularOff = true;
    static constexpr d3d::DWORD kImageAddressStages = 1;
    // A colour target set as the first.
    static void setRenderTarget(Device* device, Surface* target) {
        device->SetRenderTarget(0, target);
    }
    // The call that takes a flexible vertex format.
    static d3d::HRESULT setVertexFormat(Device* device, d3d::DWORD fvf) {
        return device->SetFVF(fvf);
    }
    static void setSampler(Device* device, d3d::DWORD stage, d3dcommon::ESamplerState state,
                           d3d::DWORD value) {
        device->SetSamplerState(stage, d3dcommon::samplerStateOf(state), value);
    }
    // The shader compiler is asked for only where the device could run the programs at all
    // (vertex and pixel shaders 1.1).
    static void prepareShaderPrograms(CD3D9Driver* driver);
};

// The video driver that draws through Direct3D 9 (the platform's Direct3D-shaped layer, loaded
// as "d3d9.dll"). It keeps no texture cache: each texture belongs to whoever asked for it. Its
// explicit 2D mode is what the quad batcher relies on: vertices in pixels under an orthographic
// projection of the render target, the world transform applied, the current material sent
// through its renderer before each batch. It is at the same time the services its material
// renderers call back into.
class CD3D9Driver : public CNullDriver, public IMaterialRendererServices {
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

    CD3D9Driver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                CTimer* timer = nullptr);
    ~CD3D9Driver() override;

    // Loads Direct3D 9 (once), chooses the back buffer, depth and multisample formats and makes
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

    // Facts.
    ECOLOR_FORMAT getColorFormat() const override { return m_colorFormat; }
    const dimension2di& getCurrentRenderTargetSize() const override;
    const wchar_t* getName() const override { return L"Direct3D 9.0"; }
    u32 getMaximalPrimitiveCount() const override { return m_caps.MaxPrimitiveCount; }
    void setTextureCreationFlag(ETextureCreationFlag flag, bool on) override;
    void OnResize(const dimension2di& size) override;
    s32 getDriverType() const override { return DriverDirect3D9; }
    IGPUProgrammingServices* getGPUProgrammingServices() override { return this; }
    void clearZBuffer() override;
    [[nodiscard]] CImage* createScreenShot() override;
    stringc getVendorInfo() override { return m_vendorName; }

    // Lights, clip planes, the ambient light.
    void deleteAllDynamicLights() override;
    s32 addDynamicLight(const SLight& light) override;
    u32 getMaximalDynamicLightAmount() const override { return m_caps.MaxActiveLights; }
    void turnLightOn(s32 index, bool on) override;
    bool setClipPlane(u32 index, const plane3df& plane, bool enable = false) override;
    void enableClipPlane(u32 index, bool enable) override;
    void setAmbientLight(const SColorf& color) override;

    // Shader materials: the shader renderers register themselves; the calls give -1.
    s32 addHighLevelShaderMaterial(const c8* vertexProgram, const c8* vertexEntry, u32 vertexTarget,
                                   const c8* pixelProgram, const c8* pixelEntry, u32 pixelTarget,
                                   IShaderConstantSetCallBack* callback, s32 baseMaterial,
                                   s32 userData) override;
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
    // True from a device reset until the end of the next frame.
    bool wasDeviceReset() const { return m_deviceWasReset; }
    // Resets the device with the present parameters (the start of a frame after a loss, a
    // resize). Render-target textures are released around it and made again, cleared.
    bool resetDevice();

    // Used by the renderers and the textures.
    d3d::IDirect3DDevice9* getDirect3DDevice() const { return m_device; }
    const d3d::D3DCAPS9& getCaps() const { return m_caps; }
    // Binds the texture to the stage (none unbinds it). The stage holds a reference to what is
    // bound. A texture of another driver is refused.
    bool setTexture(u32 stage, ITexture* texture);
    ITexture* getCurrentTexture(u32 stage) const;
    // The material being applied gets depth writing off (the renderers of types that never
    // write depth).
    void keepDepthWritingOff() { m_materialState.currentToChange().ZWriteEnable = false; }
    // The vertex type whose format is set on the device.
    void setVertexType(u32 vertexType);
    u32 getLastVertexType() const { return m_lastVertexType; }
    d3d::D3DFORMAT getD3DColorFormat() const { return m_d3dColorFormat; }
    // The largest render target: the window size given at creation.
    const dimension2di& getCreationSize() const { return m_creationSize; }
    ERenderMode getRenderMode() const { return m_renderMode; }
    const SMaterial& getCurrentMaterial() const { return m_materialState.current(); }
    const SMaterial& getLastMaterial() const { return m_materialState.last(); }
    u8 getAntiAliasing() const { return m_antiAlias; }
    bool hasStencilBuffer() const { return m_stencilBuffer; }
    bool isDeviceLost() const { return m_deviceLost; }
    u32 getTextureUnitCount() const { return m_textureUnits; }
    u32 getClipPlaneCount() const { return m_clipPlaneCount; }
    bool isClipPlaneEnabled(u32 index) const;
    const d3d::D3DPRESENT_PARAMETERS& getPresentParameters() const { return m_present; }
    d3d::DWORD getVendorId() const { return m_vendorId; }
    bool hasAlphaToCoverage() const { return m_alphaToCoverage; }
    // The shared matrices.
    const matrix4& getSphereMapMatrix() const { return m_sphereMap; }

    // Render-target textures tell the driver they live, so that a reset can release them.
    void registerRenderTarget(CD3D9Texture* texture);
    void unregisterRenderTarget(CD3D9Texture* texture);

    // The vendor name of a PCI vendor id.
    static stringc vendorNameOf(d3d::DWORD vendorId);

private:
    // The drawing both Direct3D drivers share reaches the device and the modes.
    friend struct d3dcommon::TDriverDrawing<CD3D9Driver>;
    friend struct d3dcommon::TDriverModes<CD3D9Driver, CD3D9Traits>;
    friend struct d3dcommon::TDriverFrames<CD3D9Driver, CD3D9Traits>;

    bool loadDirect3D();
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
    d3d::D3DPRESENT_PARAMETERS m_present{};
    CMaterialState m_materialState;
    bool m_stencilBuffer;
    CRefPtr<ITexture> m_currentTextures[MATERIAL_MAX_TEXTURES];
    d3d::HMODULE m_library = nullptr;
    d3d::IDirect3D9* m_d3d = nullptr;
    d3d::IDirect3DDevice9* m_device = nullptr;
    d3d::IDirect3DSurface9* m_previousRenderTarget = nullptr;
    dimension2di m_renderTargetSize{0, 0};
    dimension2di m_creationSize{0, 0};
    void* m_presentWindow = nullptr;
    const recti* m_presentSourceRect = nullptr;
    d3d::D3DCAPS9 m_caps{};
    u32 m_lastVertexType = 0xFFFFFFFFu;
    u32 m_textureUnits = 0;
    u32 m_clipPlaneCount = 0;
    f32 m_largestLightRange;
    s32 m_lastLight = -1;
    ECOLOR_FORMAT m_colorFormat = ECF_A8R8G8B8;
    d3d::D3DFORMAT m_d3dColorFormat = d3d::D3DFMT_A8R8G8B8;
    bool m_deviceLost = false;
    bool m_fullScreen;
    bool m_deviceWasReset = true;
    u8 m_antiAlias = 0;
    SColorf m_ambientLight{0.0f, 0.0f, 0.0f, 0.0f};
    stringc m_vendorName;
    d3d::DWORD m_vendorId = 0;
    bool m_alphaToCoverage = false;
    bool m_transformChanged = true;
    matrix4 m_sphereMap;
    void* m_window = nullptr;
    // What a reset makes the device forget: the lights set (and whether each is on), the clip
    // planes given and the enabled ones.
    std::vector<bool> m_lightOn;
    std::vector<std::array<f32, 4>> m_clipPlanes;
    d3d::DWORD m_clipPlanesEnabled = 0;
    std::vector<CD3D9Texture*> m_renderTargets;
    std::vector<u8> m_vertexBuffer;
};

// The Direct3D format of an engine colour format code, and back (the formats of textures and
// render targets of this driver).
d3d::D3DFORMAT getD3D9FormatFromColorFormat(ECOLOR_FORMAT format);
ECOLOR_FORMAT getColorFormatFromD3D9Format(d3d::D3DFORMAT format);

// A new Direct3D 9 driver, initialised, holding one reference; none (the driver released) when
// initialisation fails.
[[nodiscard]] IVideoDriver* createDirect3D9Driver(const SDeviceParameters& parameters,
                                                  CFileSystem* fileSystem, CTimer* timer = nullptr);

}  // namespace oskel
