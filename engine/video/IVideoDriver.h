#pragma once

#include <SColor.h>
#include <dimension2d.h>
#include <plane3d.h>
#include <rect.h>

#include "engine/video/CMeshBuffer.h"
#include "engine/image/EColorFormat.h"
#include "engine/video/S2DVertex.h"
#include "engine/video/SColorUtils.h"
#include "engine/video/SMaterial.h"

namespace oskel {

class CImage;
class CPropertySet;
class CQuadBatcher;
class IReadableFile;
class ITexture;
class IVideoDriver;

using recti = irr::core::rect<s32>;
using plane3df = irr::core::plane3df;

// What the driver can do. A feature counts when the driver supports it and its switch is on.
enum EVideoDriverFeature : u32 {
    EVDF_RENDER_TO_TARGET = 0,
    EVDF_HARDWARE_TL = 1,
    EVDF_MULTITEXTURE = 2,
    EVDF_BILINEAR_FILTER = 3,
    EVDF_MIP_MAP = 4,
    EVDF_MIP_MAP_AUTO_UPDATE = 5,
    EVDF_STENCIL_BUFFER = 6,
    EVDF_VERTEX_SHADER_1_1 = 7,
    EVDF_VERTEX_SHADER_2_0 = 8,
    EVDF_VERTEX_SHADER_3_0 = 9,
    EVDF_PIXEL_SHADER_1_1 = 10,
    EVDF_PIXEL_SHADER_1_2 = 11,
    EVDF_PIXEL_SHADER_1_3 = 12,
    EVDF_PIXEL_SHADER_1_4 = 13,
    EVDF_PIXEL_SHADER_2_0 = 14,
    EVDF_PIXEL_SHADER_3_0 = 15,
    EVDF_ARB_VERTEX_PROGRAM_1 = 16,
    EVDF_ARB_FRAGMENT_PROGRAM_1 = 17,
    EVDF_ARB_GLSL = 18,
    EVDF_HLSL = 19,
    EVDF_TEXTURE_NSQUARE = 20,
    EVDF_TEXTURE_NPOT = 21,  // textures of any size, not only powers of two
    EVDF_FRAMEBUFFER_OBJECT = 22,
    EVDF_VERTEX_BUFFER_OBJECT = 23,
    EVDF_MULTISAMPLING = 24,
    EVDF_COLOR_MASK = 25,
    EVDF_COUNT = 26
};

// The driver's transforms: view, world, projection and the texture matrices of layers 0 to 3.
enum ETransformationState : u32 {
    ETS_VIEW = 0,
    ETS_WORLD = 1,
    ETS_PROJECTION = 2,
    ETS_TEXTURE_0 = 3,
    ETS_TEXTURE_1 = 4,
    ETS_TEXTURE_2 = 5,
    ETS_TEXTURE_3 = 6,
    ETS_COUNT = 7
};

// Texture creation flags, as bits. Of the first four at most one is on at a time.
enum ETextureCreationFlag : u32 {
    ETCF_ALWAYS_16_BIT = 1,
    ETCF_ALWAYS_32_BIT = 2,
    ETCF_OPTIMIZED_FOR_QUALITY = 4,
    ETCF_OPTIMIZED_FOR_SPEED = 8,
    ETCF_CREATE_MIP_MAPS = 16,
    ETCF_NO_ALPHA_CHANNEL = 32,
};

// Kinds of render target: the frame buffer, a render texture, the stereo buffers; kinds from
// ERT_AUX_BUFFER0 up are the auxiliary buffers (kind - 4).
enum ERenderTargetKind : u32 {
    ERT_FRAME_BUFFER = 0,
    ERT_RENDER_TEXTURE = 1,
    ERT_STEREO_RIGHT_BUFFER = 2,
    ERT_STEREO_BOTH_BUFFERS = 3,
    ERT_AUX_BUFFER0 = 4,
};

enum ELightType : u32 {
    ELT_POINT = 0,
    ELT_SPOT = 1,
    ELT_DIRECTIONAL = 2,
};

// A dynamic light.
struct SLight {
    SColorf AmbientColor{0.0f, 0.0f, 0.0f, 1.0f};
    SColorf DiffuseColor{1.0f, 1.0f, 1.0f, 1.0f};
    SColorf SpecularColor{1.0f, 1.0f, 1.0f, 1.0f};
    // Constant, linear and quadratic attenuation.
    vector3df Attenuation{1.0f, 0.0f, 0.0f};
    f32 OuterCone = 45.0f;
    f32 InnerCone = 0.0f;  // degrees, of spot lights
    f32 Falloff = 2.0f;
    f32 Radius = 100.0f;  // the distance the light reaches
    u32 Type = ELT_POINT;
    vector3df Position{0.0f, 0.0f, 0.0f};
    vector3df Direction{0.0f, 0.0f, 1.0f};
};

// Native handles of a real driver, zero until the driver fills them.
struct SExposedVideoData {
    enum {
        DeviceContext = 0,
        RenderingContext = 1,
        Window = 2,
        WordCount = 5
    };
    void* Words[WordCount] = {};
};

class IMaterialRendererServices;

// Sets the render states of one material type. Reference counted.
class IMaterialRenderer : public virtual IReferenceCounted {
public:
    ~IMaterialRenderer() override = default;

    virtual void OnSetMaterial(const SMaterial& material, const SMaterial& lastMaterial,
                               bool resetAllRenderStates, IMaterialRendererServices* services) = 0;
    // Called before each draw; false skips the draw.
    virtual bool OnRender(IMaterialRendererServices* services, u32 vertexType) = 0;
    virtual void OnUnsetMaterial() = 0;
    virtual bool isTransparent() const = 0;
    // 0 when the renderer can render on this hardware.
    virtual s32 getRenderCapability() const = 0;
};

// What the real drivers offer their material renderers.
class IMaterialRendererServices {
public:
    virtual ~IMaterialRendererServices() = default;

    virtual void setBasicRenderStates(const SMaterial& material, const SMaterial& lastMaterial,
                                      bool resetAllRenderStates) = 0;
    virtual void setVertexShaderConstant(const f32* data, s32 startRegister,
                                         s32 constantCount = 1) = 0;
    virtual bool setVertexShaderConstant(const c8* name, const f32* floats, s32 count) = 0;
    virtual void setPixelShaderConstant(const f32* data, s32 startRegister,
                                        s32 constantCount = 1) = 0;
    virtual bool setPixelShaderConstant(const c8* name, const f32* floats, s32 count) = 0;
    virtual IVideoDriver* getVideoDriver() = 0;
};

// Sets the shader constants of a shader material before it draws.
class IShaderConstantSetCallBack : public virtual IReferenceCounted {
public:
    ~IShaderConstantSetCallBack() override = default;
    virtual void OnSetConstants(IMaterialRendererServices* services, s32 userData) = 0;
};

// Shader materials. Each operation returns the new material type number, or -1.
class IGPUProgrammingServices {
public:
    virtual ~IGPUProgrammingServices() = default;

    virtual s32 addHighLevelShaderMaterial(const c8* vertexProgram, const c8* vertexEntry,
                                           u32 vertexTarget, const c8* pixelProgram,
                                           const c8* pixelEntry, u32 pixelTarget,
                                           IShaderConstantSetCallBack* callback,
                                           s32 baseMaterial, s32 userData) = 0;
    virtual s32 addHighLevelShaderMaterialFromFiles(IReadableFile* vertexProgram,
                                                    const c8* vertexEntry, u32 vertexTarget,
                                                    IReadableFile* pixelProgram,
                                                    const c8* pixelEntry, u32 pixelTarget,
                                                    IShaderConstantSetCallBack* callback,
                                                    s32 baseMaterial, s32 userData) = 0;
    virtual s32 addHighLevelShaderMaterialFromFiles(const c8* vertexFileName,
                                                    const c8* vertexEntry, u32 vertexTarget,
                                                    const c8* pixelFileName,
                                                    const c8* pixelEntry, u32 pixelTarget,
                                                    IShaderConstantSetCallBack* callback,
                                                    s32 baseMaterial, s32 userData) = 0;
    virtual s32 addShaderMaterial(const c8* vertexProgram, const c8* pixelProgram,
                                  IShaderConstantSetCallBack* callback, s32 baseMaterial,
                                  s32 userData) = 0;
    virtual s32 addShaderMaterialFromFiles(const c8* vertexFileName, const c8* pixelFileName,
                                           IShaderConstantSetCallBack* callback,
                                           s32 baseMaterial, s32 userData) = 0;
    virtual s32 addShaderMaterialFromFiles(IReadableFile* vertexProgram,
                                           IReadableFile* pixelProgram,
                                           IShaderConstantSetCallBack* callback,
                                           s32 baseMaterial, s32 userData) = 0;
};

// The one interface through which the engine and the game draw. Textures are not cached by the
// driver: each creation call makes a new texture owned by the caller. Reference counted.
class IVideoDriver : public virtual IReferenceCounted {
public:
    ~IVideoDriver() override = default;

    // Frame.
    virtual bool beginScene(bool clearBackBuffer = true, bool clearZBuffer = true,
                            SColor color = SColor(0xFF000000u), void* windowId = nullptr,
                            const recti* sourceRect = nullptr) = 0;
    virtual bool endScene() = 0;

    // Capabilities and modes.
    virtual bool queryFeature(EVideoDriverFeature feature) const = 0;
    virtual void setFeatureEnabled(EVideoDriverFeature feature, bool on) = 0;
    virtual bool set3DRenderMode() = 0;
    virtual bool set2DRenderMode() = 0;

    // Transforms and materials.
    virtual void setTransform(ETransformationState state, const matrix4& mat) = 0;
    virtual const matrix4& getTransform(ETransformationState state) const = 0;
    virtual void setMaterial(const SMaterial& material) = 0;

    // Textures.
    [[nodiscard]] virtual ITexture* createTextureFromImage(CImage* image) = 0;
    [[nodiscard]] virtual ITexture* createTexture(const dimension2di& size,
                                    ECOLOR_FORMAT format = ECF_A8R8G8B8) = 0;
    [[nodiscard]] virtual ITexture* createRenderTargetTexture(const dimension2di& size,
                                                ECOLOR_FORMAT format = ECF_UNKNOWN) = 0;
    // Makes the colour of the pixel at the position transparent.
    virtual void makeColorKeyTextureAt(ITexture* texture, const vector2di& position) = 0;
    // Makes every pixel of the colour transparent.
    virtual void makeColorKeyTexture(ITexture* texture, SColor color) = 0;

    // Render targets and the viewport.
    virtual bool setRenderTargetKind(ERenderTargetKind kind, bool clearBackBuffer = true,
                                     bool clearZBuffer = true, SColor color = SColor(0)) = 0;
    virtual bool setRenderTarget(ITexture* texture, bool clearBackBuffer = true,
                                 bool clearZBuffer = true, SColor color = SColor(0)) = 0;
    virtual void setViewPort(const recti& area) = 0;
    virtual const recti& getViewPort() const = 0;

    [[nodiscard]] virtual ITexture* createTextureFromFile(const c8* fileName) = 0;
    [[nodiscard]] virtual ITexture* createDeviceDependentTexture(CImage* image) = 0;

    // Drawing.
    virtual void drawVertexPrimitiveList(const void* vertices, u32 vertexCount,
                                         const u16* indices, u32 primitiveCount, u32 vertexType,
                                         u32 primitiveType) = 0;
    virtual void drawIndexedTriangleListTangents(const SVertexTangents* vertices, u32 vertexCount,
                                                 const u16* indices, u32 triangleCount) = 0;
    virtual void drawIndexedTriangleList2TCoords(const SVertex2TCoords* vertices, u32 vertexCount,
                                                 const u16* indices, u32 triangleCount) = 0;
    virtual void drawIndexedTriangleList(const SStandardVertex* vertices, u32 vertexCount,
                                         const u16* indices, u32 triangleCount) = 0;
    virtual void drawIndexedTriangleFan2TCoords(const SVertex2TCoords* vertices, u32 vertexCount,
                                                const u16* indices, u32 triangleCount) = 0;
    virtual void drawIndexedTriangleFan(const SStandardVertex* vertices, u32 vertexCount,
                                        const u16* indices, u32 triangleCount) = 0;
    // Corner colours: upper left, lower left, lower right, upper right.
    virtual void draw2DImageStretched(ITexture* texture, const recti& destRect,
                                      const recti& sourceRect, const recti* clipRect = nullptr,
                                      const SColor* colors = nullptr,
                                      bool useAlphaChannel = false) = 0;
    // A row of images: for each index, the source rectangle drawn at the position, which then
    // moves right by the rectangle's width plus the kerning width.
    virtual void draw2DImageBatch(ITexture* texture, const vector2di& position,
                                  const array<recti>& sourceRects, const array<s32>& indices,
                                  s32 kerningWidth = 0, const recti* clipRect = nullptr,
                                  SColor color = SColor(0xFFFFFFFFu),
                                  bool useAlphaChannel = false) = 0;
    virtual void draw2DImage(ITexture* texture, const vector2di& position,
                             const recti& sourceRect, const recti* clipRect = nullptr,
                             SColor color = SColor(0xFFFFFFFFu), bool useAlphaChannel = false) = 0;
    // The whole texture, white, unclipped, without alpha.
    virtual void draw2DImageWhole(ITexture* texture, const vector2di& position) = 0;
    virtual void draw2DRectangleGradient(const recti& rect, SColor upperLeft, SColor upperRight,
                                         SColor lowerLeft, SColor lowerRight,
                                         const recti* clipRect = nullptr) = 0;
    virtual void draw2DRectangle(SColor color, const recti& rect,
                                 const recti* clipRect = nullptr) = 0;
    virtual void draw2DLine(const vector2df& start, const vector2df& end, SColor color) = 0;
    virtual void drawPixel(u32 x, u32 y, SColor color) = 0;
    virtual void draw2DPolygon(const vector2df& centre, f32 radius, SColor color,
                               s32 cornerCount) = 0;
    virtual void drawStencilShadowVolume(const vector3df* triangles, s32 cornerCount,
                                         bool depthFail) = 0;
    virtual void drawStencilShadow(bool clearStencilBuffer, SColor upperLeft, SColor upperRight,
                                   SColor lowerLeft, SColor lowerRight) = 0;
    virtual void drawMeshBuffer(const CMeshBuffer* meshBuffer) = 0;

    virtual void setFog(SColor color, bool linear, f32 start, f32 end, f32 density,
                        bool pixelFog, bool rangeFog) = 0;

    // Facts about the driver.
    virtual const dimension2di& getScreenSize() const = 0;
    virtual u32 getColorDepth() const = 0;
    virtual ECOLOR_FORMAT getColorFormat() const = 0;
    virtual const dimension2di& getCurrentRenderTargetSize() const = 0;
    virtual s32 getFPS() const = 0;
    // Mode 0: the last frame; 1: the average per frame of the last measuring interval; other:
    // the total since the start.
    virtual u32 getPrimitiveCountDrawn(u32 mode = 0) const = 0;

    // Lights.
    virtual void deleteAllDynamicLights() = 0;
    virtual s32 addDynamicLight(const SLight& light) = 0;
    virtual u32 getMaximalDynamicLightAmount() const = 0;
    virtual u32 getDynamicLightCount() const = 0;
    virtual void turnLightOn(s32 index, bool on) = 0;
    virtual const SLight* getDynamicLight(u32 index) const = 0;

    virtual const wchar_t* getName() const = 0;
    virtual u32 getMaximalPrimitiveCount() const = 0;
    virtual void setTextureCreationFlag(ETextureCreationFlag flag, bool on) = 0;
    virtual bool getTextureCreationFlag(ETextureCreationFlag flag) const = 0;
    // An image over (useForeignMemory) or copied from the data, with no owner and no name.
    [[nodiscard]] virtual CImage* createImageFromData(ECOLOR_FORMAT format, const dimension2di& size,
                                        void* data, bool useForeignMemory = false,
                                        bool deleteMemory = true) = 0;
    virtual void OnResize(const dimension2di& size) = 0;

    // Material renderers, by index and name.
    virtual s32 setMaterialRenderer(s32 index, IMaterialRenderer* renderer,
                                    const c8* name = nullptr) = 0;
    virtual IMaterialRenderer* getMaterialRenderer(u32 index) const = 0;
    virtual u32 getMaterialRendererCount() const = 0;
    virtual const c8* getMaterialRendererName(u32 index) const = 0;
    virtual void setMaterialRendererName(s32 index, const c8* name) = 0;
    [[nodiscard]] virtual CPropertySet* createAttributesFromMaterial(const SMaterial& material) = 0;
    virtual void fillMaterialStructureFromAttributes(SMaterial& material,
                                                     CPropertySet* attributes) = 0;

    virtual const SExposedVideoData& getExposedVideoData() = 0;
    virtual s32 getDriverType() const = 0;
    virtual IGPUProgrammingServices* getGPUProgrammingServices() = 0;
    virtual CQuadBatcher* getQuadBatcher() = 0;
    virtual void clearZBuffer() = 0;
    [[nodiscard]] virtual CImage* createScreenShot() = 0;
    virtual bool setClipPlane(u32 index, const plane3df& plane, bool enable = false) = 0;
    virtual void enableClipPlane(u32 index, bool enable) = 0;
    virtual void setAmbientLight(const SColorf& color) = 0;
    virtual stringc getVendorInfo() = 0;

    // Screen shot users. createScreenShot after endScene gives the frame last presented; a
    // driver that cannot read that frame back from the screen keeps a copy of each frame it
    // presents, and it does so only while at least one user is registered (a user registers
    // before the frames it may want to take, and removes itself when it no longer takes any).
    virtual void addScreenShotUser() = 0;
    virtual void removeScreenShotUser() = 0;
    virtual u32 getScreenShotUserCount() const = 0;
};

}  // namespace oskel
