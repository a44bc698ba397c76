#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/event/SDeviceParameters.h"
#include "engine/io/CFileSystem.h"
#include "engine/video/CFPSCounter.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/ITexture.h"

namespace oskel {

class CTimer;

// The driver that draws nothing, and the base of every real driver: it holds the state that all
// drivers share and gives the default behaviour of every operation, so that a driver overrides
// only what its graphics interface needs. Reference counted; the creator holds the first
// reference.
class CNullDriver : public IVideoDriver, public IGPUProgrammingServices {
public:
    // Reads the window size and the colour bits of the parameters. The file system (may be none)
    // opens files by name; the timer (may be none) gives the real time for the frame counter.
    CNullDriver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                CTimer* timer = nullptr);
    ~CNullDriver() override;

    CNullDriver(const CNullDriver&) = delete;
    CNullDriver& operator=(const CNullDriver&) = delete;

    bool beginScene(bool clearBackBuffer = true, bool clearZBuffer = true,
                    SColor color = SColor(0xFF000000u), void* windowId = nullptr,
                    const recti* sourceRect = nullptr) override;
    bool endScene() override;
    bool queryFeature(EVideoDriverFeature feature) const override;
    void setFeatureEnabled(EVideoDriverFeature feature, bool on) override;
    bool set3DRenderMode() override;
    bool set2DRenderMode() override;
    void setTransform(ETransformationState state, const matrix4& mat) override;
    const matrix4& getTransform(ETransformationState state) const override;
    void setMaterial(const SMaterial& material) override;
    [[nodiscard]] ITexture* createTextureFromImage(CImage* image) override;
    [[nodiscard]] ITexture* createTexture(const dimension2di& size, ECOLOR_FORMAT format = ECF_A8R8G8B8) override;
    [[nodiscard]] ITexture* createRenderTargetTexture(const dimension2di& size,
                                        ECOLOR_FORMAT format = ECF_UNKNOWN) override;
    void makeColorKeyTextureAt(ITexture* texture, const vector2di& position) override;
    void makeColorKeyTexture(ITexture* texture, SColor color) override;
    bool setRenderTargetKind(ERenderTargetKind kind, bool clearBackBuffer = true,
                             bool clearZBuffer = true, SColor color = SColor(0)) override;
    bool setRenderTarget(ITexture* texture, bool clearBackBuffer = true, bool clearZBuffer = true,
                         SColor color = SColor(0)) override;
    void setViewPort(const recti& area) override;
    const recti& getViewPort() const override { return m_viewPort; }
    [[nodiscard]] ITexture* createTextureFromFile(const c8* fileName) override;
    [[nodiscard]] ITexture* createDeviceDependentTexture(CImage* image) override;
    void drawVertexPrimitiveList(const void* vertices, u32 vertexCount, const u16* indices,
                                 u32 primitiveCount, u32 vertexType, u32 primitiveType) override;
    void drawIndexedTriangleListTangents(const SVertexTangents* vertices, u32 vertexCount,
                                         const u16* indices, u32 triangleCount) override;
    void drawIndexedTriangleList2TCoords(const SVertex2TCoords* vertices, u32 vertexCount,
                                         const u16* indices, u32 triangleCount) override;
    void drawIndexedTriangleList(const SStandardVertex* vertices, u32 vertexCount,
                                 const u16* indices, u32 triangleCount) override;
    void drawIndexedTriangleFan2TCoords(const SVertex2TCoords* vertices, u32 vertexCount,
                                        const u16* indices, u32 triangleCount) override;
    void drawIndexedTriangleFan(const SStandardVertex* vertices, u32 vertexCount,
                                const u16* indices, u32 triangleCount) override;
    void draw2DImageStretched(ITexture* texture, const recti& destRect, const recti& sourceRect,
                              const recti* clipRect = nullptr, const SColor* colors = nullptr,
                              bool useAlphaChannel = false) override;
    void draw2DImageBatch(ITexture* texture, const vector2di& position,
                          const array<recti>& sourceRects, const array<s32>& indices,
                          s32 kerningWidth = 0, const recti* clipRect = nullptr,
                          SColor color = SColor(0xFFFFFFFFu),
                          bool useAlphaChannel = false) override;
    void draw2DImage(ITexture* texture, const vector2di& position, const recti& sourceRect,
                     const recti* clipRect = nullptr, SColor color = SColor(0xFFFFFFFFu),
                     bool useAlphaChannel = false) override;
    void draw2DImageWhole(ITexture* texture, const vector2di& position) override;
    void draw2DRectangleGradient(const recti& rect, SColor upperLeft, SColor upperRight,
                                 SColor lowerLeft, SColor lowerRight,
                                 const recti* clipRect = nullptr) override;
    void draw2DRectangle(SColor color, const recti& rect, const recti* clipRect = nullptr) override;
    void draw2DLine(const vector2df& start, const vector2df& end, SColor color) override;
    void drawPixel(u32 x, u32 y, SColor color) override;
    void draw2DPolygon(const vector2df& centre, f32 radius, SColor color,
                       s32 cornerCount) override;
    void drawStencilShadowVolume(const vector3df* triangles, s32 cornerCount,
                                 bool depthFail) override;
    void drawStencilShadow(bool clearStencilBuffer, SColor upperLeft, SColor upperRight,
                           SColor lowerLeft, SColor lowerRight) override;
    void drawMeshBuffer(const CMeshBuffer* meshBuffer) override;
    void setFog(SColor color, bool linear, f32 start, f32 end, f32 density, bool pixelFog,
                bool rangeFog) override;
    const dimension2di& getScreenSize() const override { return m_screenSize; }
    u32 getColorDepth() const override { return m_colorDepth; }
    ECOLOR_FORMAT getColorFormat() const override { return ECF_R5G6B5; }
    const dimension2di& getCurrentRenderTargetSize() const override { return m_screenSize; }
    s32 getFPS() const override { return m_fpsCounter.getFPS(); }
    u32 getPrimitiveCountDrawn(u32 mode = 0) const override;
    void deleteAllDynamicLights() override { m_lights.clear(); }
    s32 addDynamicLight(const SLight& light) override;
    u32 getMaximalDynamicLightAmount() const override { return 0; }
    u32 getDynamicLightCount() const override { return m_lights.size(); }
    void turnLightOn(s32 index, bool on) override;
    const SLight* getDynamicLight(u32 index) const override;
    const wchar_t* getName() const override;
    u32 getMaximalPrimitiveCount() const override { return 0xFFFFFFFFu; }
    void setTextureCreationFlag(ETextureCreationFlag flag, bool on) override;
    bool getTextureCreationFlag(ETextureCreationFlag flag) const override;
    [[nodiscard]] CImage* createImageFromData(ECOLOR_FORMAT format, const dimension2di& size, void* data,
                                bool useForeignMemory = false, bool deleteMemory = true) override;
    void OnResize(const dimension2di& size) override;
    s32 setMaterialRenderer(s32 index, IMaterialRenderer* renderer,
                            const c8* name = nullptr) override;
    IMaterialRenderer* getMaterialRenderer(u32 index) const override;
    u32 getMaterialRendererCount() const override { return m_materialRenderers.size(); }
    const c8* getMaterialRendererName(u32 index) const override;
    void setMaterialRendererName(s32 index, const c8* name) override;
    [[nodiscard]] CPropertySet* createAttributesFromMaterial(const SMaterial& material) override;
    void fillMaterialStructureFromAttributes(SMaterial& material,
                                             CPropertySet* attributes) override;
    const SExposedVideoData& getExposedVideoData() override { return m_exposedData; }
    s32 getDriverType() const override { return DriverNull; }
    IGPUProgrammingServices* getGPUProgrammingServices() override { return nullptr; }
    CQuadBatcher* getQuadBatcher() override { return m_quadBatcher.get(); }
    void clearZBuffer() override;
    [[nodiscard]] CImage* createScreenShot() override { return nullptr; }
    bool setClipPlane(u32 index, const plane3df& plane, bool enable = false) override;
    void enableClipPlane(u32 index, bool enable) override;
    void setAmbientLight(const SColorf& color) override;
    stringc getVendorInfo() override { return stringc("Not available on this driver."); }
    void addScreenShotUser() override { ++m_screenShotUsers; }
    void removeScreenShotUser() override {
        if (m_screenShotUsers > 0) --m_screenShotUsers;
    }
    u32 getScreenShotUserCount() const override { return m_screenShotUsers; }

    // Shader materials: not available in this driver.
    s32 addHighLevelShaderMaterial(const c8* vertexProgram, const c8* vertexEntry,
                                   u32 vertexTarget, const c8* pixelProgram, const c8* pixelEntry,
                                   u32 pixelTarget, IShaderConstantSetCallBack* callback,
                                   s32 baseMaterial, s32 userData) override;
    s32 addHighLevelShaderMaterialFromFiles(IReadableFile* vertexProgram, const c8* vertexEntry,
                                            u32 vertexTarget, IReadableFile* pixelProgram,
                                            const c8* pixelEntry, u32 pixelTarget,
                                            IShaderConstantSetCallBack* callback,
                                            s32 baseMaterial, s32 userData) override;
    s32 addHighLevelShaderMaterialFromFiles(const c8* vertexFileName, const c8* vertexEntry,
                                            u32 vertexTarget, const c8* pixelFileName,
                                            const c8* pixelEntry, u32 pixelTarget,
                                            IShaderConstantSetCallBack* callback,
                                            s32 baseMaterial, s32 userData) override;
    s32 addShaderMaterial(const c8* vertexProgram, const c8* pixelProgram,
                          IShaderConstantSetCallBack* callback, s32 baseMaterial,
                          s32 userData) override;
    s32 addShaderMaterialFromFiles(const c8* vertexFileName, const c8* pixelFileName,
                                   IShaderConstantSetCallBack* callback, s32 baseMaterial,
                                   s32 userData) override;
    s32 addShaderMaterialFromFiles(IReadableFile* vertexProgram, IReadableFile* pixelProgram,
                                   IShaderConstantSetCallBack* callback, s32 baseMaterial,
                                   s32 userData) override;

    // Registers the renderer at the index without a name, then drops the caller's reference.
    s32 addAndDropMaterialRenderer(IMaterialRenderer* renderer, s32 index);
    // Registers a renderer that sets nothing at each of the built-in material types, under its
    // built-in name.
    void registerBuiltInRenderers();
    // Releases every material renderer and empties the list.
    void deleteMaterialRenderers();
    // True when the count is within the driver's limit; otherwise logs and the draw is skipped.
    bool checkPrimitiveCount(u32 count) const;
    // Logs the renderer's name.
    void printVersion() const;

    // The highest index a material renderer may take.
    static constexpr s32 MaxMaterialRendererIndex = 0xFFFF;

protected:
    // Opens the named program files (a null name opens nothing); false, with a log line and
    // nothing left open, when a named file cannot be opened.
    bool openShaderFiles(const c8* vertexFileName, const c8* pixelFileName,
                         IReadableFile*& vertexFile, IReadableFile*& pixelFile);

    // Keeps a transform for getTransform (what a real driver's setTransform does first); false
    // for a state outside the seven.
    bool storeTransform(ETransformationState state, const matrix4& mat);
    // Opens a file by name through the driver's file system; none when it does not open or the
    // driver has no file system.
    [[nodiscard]] virtual IReadableFile* createAndOpenFile(const c8* fileName);
    // The whole file as zero-terminated text.
    static bool readWholeFile(IReadableFile* file, array<c8>& text);

    struct SMaterialRendererEntry {
        stringc Name;
        IMaterialRenderer* Renderer = nullptr;
    };
    struct STransform {
        matrix4 Matrix;
        bool IsIdentity = true;
    };

    // Shared by both colour-key operations: keys the locked texture by a colour whose alpha is
    // already full.
    void applyColorKey(ITexture* texture, void* pixels, u32 key) const;

    // The state that every driver shares.
    array<SLight> m_lights;
    array<SMaterialRendererEntry> m_materialRenderers;
    CRefPtr<CFileSystem> m_fileSystem;
    CRefPtr<CQuadBatcher> m_quadBatcher;
    STransform m_transforms[ETS_COUNT];
    // Marks the 2D projection for reloading.
    bool m_reload2DProjection = true;
    recti m_viewPort;
    dimension2di m_screenSize;
    u32 m_colorDepth;
    CFPSCounter m_fpsCounter;
    CRefPtr<CTimer> m_timer;
    u32 m_primitivesDrawn = 0;
    u32 m_textureCreationFlags = 0;
    SColor m_fogColor{0x00FFFFFFu};
    bool m_linearFog = true;
    f32 m_fogStart = 50.0f;
    f32 m_fogEnd = 100.0f;
    f32 m_fogDensity = 0.01f;
    bool m_pixelFog = false;
    bool m_rangeFog = false;
    SExposedVideoData m_exposedData;
    bool m_featureEnabled[EVDF_COUNT];
    u32 m_screenShotUsers = 0;
};

// A new null driver with its 26 built-in material renderers (which draw nothing), holding one
// reference.
[[nodiscard]] IVideoDriver* createNullDriver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                               CTimer* timer = nullptr);

}  // namespace oskel
