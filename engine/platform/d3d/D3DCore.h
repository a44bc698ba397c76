#pragma once

// The device core of the Direct3D-shaped layer, shared by its Direct3D 9 and Direct3D 8 faces:
// the adapter, devices, textures and surfaces with Direct3D's rules, drawing through OpenGL (or,
// in the test control's recording mode, keeping surfaces in memory and drawing nothing).
//
// Reference counts: a core object counts the references its face objects hand out (external)
// and the ones the device keeps for what is bound to it (holds); it goes when both are 0. A
// texture's level surfaces count on their texture. The implicit surfaces of a device (back
// buffer, automatic depth-stencil) belong to the device: their external count starts at 0.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/platform/GLContext.h"
#include "engine/platform/d3d/CoreGL.h"
#include "engine/platform/d3d/D3DCommon.h"

namespace oskel::platform {
class CWindow;
}

namespace oskel::d3d {

class CCoreDevice;
class CCoreTexture;

// The faces: the objects each face hands out for a core object, made on first use and owned by
// the core object.
enum EFace { Face9 = 0, Face8 = 1, FaceCount = 2 };

class CFaceView {
public:
    virtual ~CFaceView() = default;
};

// Counts the layer's living objects.
class CCoreObject {
public:
    CCoreObject();
    virtual ~CCoreObject();
    CCoreObject(const CCoreObject&) = delete;
    CCoreObject& operator=(const CCoreObject&) = delete;

    CFaceView* face(EFace f) const { return m_faces[f].get(); }
    void setFace(EFace f, CFaceView* view) { m_faces[f].reset(view); }

private:
    std::unique_ptr<CFaceView> m_faces[FaceCount];
};

uint32_t livingCoreObjects();

// ---------------------------------------------------------------------------------------------
// Formats

struct SFormatInfo {
    D3DFORMAT format;
    uint32_t bytes;   // per pixel
    GLenum internal;  // GL internal format
    GLenum glFormat;  // GL pixel transfer format and type of the memory layout
    GLenum glType;
    bool depth, stencil;
    bool alpha;  // colour formats: carries alpha
    bool floating;
};

// The format's description, or null for formats this layer does not hold in surfaces.
const SFormatInfo* formatInfo(D3DFORMAT format);
bool isColorFormat(D3DFORMAT format);
bool isDepthFormat(D3DFORMAT format);
// Formats a back buffer (or the display) may have.
bool isBackBufferFormat(D3DFORMAT format);

// ---------------------------------------------------------------------------------------------
// Surfaces

class CCoreSurface : public CCoreObject {
public:
    enum class Storage {
        Memory,        // main memory only (system memory, scratch, recording mode)
        TextureLevel,  // a level of its texture's GL texture (and its memory when lockable)
        Texture,       // a GL texture of its own (a single-sample back buffer)
        Renderbuffer,  // a GL renderbuffer (depth-stencil, multisample back buffer)
    };

    // A surface of a device (standalone, implicit or a texture level).
    CCoreSurface(CCoreDevice* device, CCoreTexture* container, uint32_t level, D3DFORMAT format,
                 uint32_t width, uint32_t height, D3DPOOL pool, DWORD usage, uint32_t samples,
                 bool implicit);
    ~CCoreSurface() override;

    uint32_t addRef();
    uint32_t release();
    void hold();
    void unhold();
    uint32_t externalRefs() const { return m_refs; }

    CCoreDevice* device() const { return m_device; }
    CCoreTexture* container() const { return m_container; }
    uint32_t level() const { return m_level; }
    D3DFORMAT format() const { return m_format; }
    uint32_t width() const { return m_width; }
    uint32_t height() const { return m_height; }
    D3DPOOL pool() const { return m_pool; }
    DWORD usage() const { return m_usage; }
    uint32_t samples() const { return m_samples; }
    bool implicit() const { return m_implicit; }
    bool isRenderTarget() const { return (m_usage & D3DUSAGE_RENDERTARGET) != 0; }
    bool isDepthStencil() const { return (m_usage & D3DUSAGE_DEPTHSTENCIL) != 0; }
    uint32_t pitch() const;

    HRESULT lockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT unlockRect();
    bool locked() const { return m_locked; }

    // Main-memory pixels (rows from the top), when the surface has them.
    bool hasMemory() const { return !m_memory.empty(); }
    std::vector<uint8_t>& memory() { return m_memory; }

    // OpenGL storage.
    Storage storage() const { return m_storage; }
    GLuint glName() const { return m_glName; }  // texture or renderbuffer
    GLuint glResolve() const { return m_glResolve; }
    void setGLTexture(GLuint texture) {
        m_storage = Storage::Texture;
        m_glName = texture;
    }
    void setGLRenderbuffer(GLuint renderbuffer, GLuint resolveTexture) {
        m_storage = Storage::Renderbuffer;
        m_glName = renderbuffer;
        m_glResolve = resolveTexture;
    }
    void setTextureLevelStorage() { m_storage = Storage::TextureLevel; }
    void allocateMemory();

    // The device is released: an implicit surface with no reference left goes now; one that is
    // still referenced goes with its last release.
    void orphan();

private:
    void destroy();

    CCoreDevice* m_device;
    CCoreTexture* m_container;
    uint32_t m_level;
    D3DFORMAT m_format;
    uint32_t m_width, m_height;
    D3DPOOL m_pool;
    DWORD m_usage;
    uint32_t m_samples;
    bool m_implicit;
    bool m_orphaned = false;

    uint32_t m_refs = 0;
    uint32_t m_holds = 0;

    std::vector<uint8_t> m_memory;
    bool m_locked = false;
    bool m_lockReadOnly = false;

    Storage m_storage = Storage::Memory;
    GLuint m_glName = 0;
    GLuint m_glResolve = 0;
};

// ---------------------------------------------------------------------------------------------
// Textures

class CCoreTexture : public CCoreObject {
public:
    CCoreTexture(CCoreDevice* device, uint32_t width, uint32_t height, uint32_t levels, DWORD usage,
                 D3DFORMAT format, D3DPOOL pool);
    ~CCoreTexture() override;

    uint32_t addRef();
    uint32_t release();
    void hold();
    void unhold();

    CCoreDevice* device() const { return m_device; }
    uint32_t levelCount() const { return static_cast<uint32_t>(m_levels.size()); }
    CCoreSurface* level(uint32_t index) const {
        return index < m_levels.size() ? m_levels[index].get() : nullptr;
    }
    D3DFORMAT format() const { return m_format; }
    D3DPOOL pool() const { return m_pool; }
    DWORD usage() const { return m_usage; }
    GLuint glName() const { return m_glName; }
    // A GL texture exists for drawing with it.
    bool drawable() const { return m_glName != 0; }
    // OpenGL could not make the texture's storage (out of memory).
    bool glFailed() const { return m_glFailed; }

    // The level's memory went to OpenGL.
    void uploadLevel(uint32_t level);

    // The number of levels a full chain down to 1 × 1 has.
    static uint32_t fullChain(uint32_t width, uint32_t height);

private:
    CCoreDevice* m_device;
    D3DFORMAT m_format;
    D3DPOOL m_pool;
    DWORD m_usage;
    std::vector<std::unique_ptr<CCoreSurface>> m_levels;
    GLuint m_glName = 0;
    bool m_glFailed = false;
    uint32_t m_refs = 1;
    uint32_t m_holds = 0;
};

// ---------------------------------------------------------------------------------------------
// The adapter (the Direct3D object)

class CCoreAdapter : public CCoreObject {
public:
    CCoreAdapter();
    ~CCoreAdapter() override;

    uint32_t addRef();
    uint32_t release();

    D3DDISPLAYMODE displayMode() const;
    HRESULT checkDeviceFormat(D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT format) const;
    HRESULT checkMultiSample(D3DDEVTYPE type, D3DFORMAT format, uint32_t samples,
                             DWORD* qualityLevels) const;
    HRESULT checkDepthStencilMatch(D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT renderTarget,
                                   D3DFORMAT depthStencil) const;
    // The capabilities without a device: those of the last OpenGL context seen (or the
    // recording-mode ones).
    D3DCAPS_COMMON caps() const;
    DWORD vendorId() const;

private:
    uint32_t m_refs = 1;
    bool m_videoStarted = false;
};

// What a device is made with (the faces translate their present parameters into this).
struct SPresentSetup {
    uint32_t width = 0, height = 0;  // 0: the window's client size (windowed)
    D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
    uint32_t backBufferCount = 1;
    uint32_t samples = 0;
    DWORD sampleQuality = 0;
    D3DSWAPEFFECT swapEffect = D3DSWAPEFFECT_DISCARD;
    HWND window = nullptr;
    bool windowed = true;
    bool autoDepthStencil = false;
    D3DFORMAT depthStencilFormat = D3DFMT_UNKNOWN;
    DWORD flags = 0;
    uint32_t refreshRate = 0;
    uint32_t interval = D3DPRESENT_INTERVAL_DEFAULT;
};

// ---------------------------------------------------------------------------------------------
// The device

class CCoreDevice : public CCoreObject {
public:
    static constexpr uint32_t MaxStages = 8;
    static constexpr uint32_t MaxLights = 8;
    static constexpr uint32_t MaxClipPlanes = 8;

    // Makes a device for the adapter; on success *device holds the first reference.
    static HRESULT create(CCoreAdapter* adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behavior,
                          SPresentSetup& setup, CCoreDevice** device);
    ~CCoreDevice() override;

    uint32_t addRef();
    uint32_t release();
    // Resources made by the device count as its children: it stays until they are gone.
    void addChild() { ++m_children; }
    void removeChild();

    CCoreAdapter* adapter() const { return m_adapter; }
    bool recording() const { return m_recording; }
    const D3DCAPS_COMMON& caps() const { return m_caps; }
    D3DDISPLAYMODE displayMode() const;
    const SPresentSetup& setup() const { return m_setup; }

    // --- Device loss ---
    void lose(uint32_t lostTests);
    HRESULT testCooperativeLevel();
    bool lost() const { return m_lost; }
    HRESULT reset(SPresentSetup& setup);

    // --- Presentation and targets ---
    HRESULT present(const RECT* source, const RECT* dest, HWND window);
    CCoreSurface* backBuffer() const { return m_backBuffer; }
    CCoreSurface* autoDepthStencil() const { return m_autoDepth; }
    CCoreSurface* renderTarget() const { return m_renderTarget; }
    CCoreSurface* depthStencil() const { return m_depthStencil; }
    HRESULT setRenderTarget(uint32_t index, CCoreSurface* surface);
    HRESULT setDepthStencil(CCoreSurface* surface);
    HRESULT getRenderTargetData(CCoreSurface* source, CCoreSurface* dest);
    HRESULT getFrontBufferData(CCoreSurface* dest);
    // Copies rectangles of a colour surface (a render target or one in memory) into a surface in
    // memory of the same format: each rectangle to its point, or to its own place without points;
    // the whole surface without rectangles.
    HRESULT copyRects(CCoreSurface* source, const RECT* rects, uint32_t count, CCoreSurface* dest,
                      const POINT* points);
    // The back buffer as ARGB rows from the top.
    bool readBackBuffer(std::vector<uint32_t>& argb, uint32_t& width, uint32_t& height);

    // --- Resources ---
    HRESULT createTexture(uint32_t width, uint32_t height, uint32_t levels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, CCoreTexture** texture);
    HRESULT createOffscreenPlainSurface(uint32_t width, uint32_t height, D3DFORMAT format,
                                        D3DPOOL pool, CCoreSurface** surface);
    void resourceCreated(D3DPOOL pool) {
        if (pool == D3DPOOL_DEFAULT) ++m_defaultResources;
    }
    void resourceDestroyed(D3DPOOL pool) {
        if (pool == D3DPOOL_DEFAULT && m_defaultResources > 0) --m_defaultResources;
    }

    // --- Frame ---
    HRESULT beginScene();
    HRESULT endScene();
    HRESULT clear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil);

    // --- State ---
    HRESULT setTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix);
    HRESULT getTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) const;
    HRESULT setViewport(const D3DVIEWPORT* viewport);
    HRESULT getViewport(D3DVIEWPORT* viewport) const;
    HRESULT setMaterial(const D3DMATERIAL* material);
    HRESULT getMaterial(D3DMATERIAL* material) const;
    HRESULT setLight(DWORD index, const D3DLIGHT* light);
    HRESULT getLight(DWORD index, D3DLIGHT* light) const;
    HRESULT lightEnable(DWORD index, BOOL enable);
    HRESULT setClipPlane(DWORD index, const float* plane);
    HRESULT getClipPlane(DWORD index, float* plane) const;
    HRESULT setRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT getRenderState(D3DRENDERSTATETYPE state, DWORD* value) const;
    HRESULT setTexture(DWORD stage, CCoreTexture* texture);
    CCoreTexture* texture(DWORD stage) const {
        return stage < MaxStages ? m_textures[stage] : nullptr;
    }
    // Stage states of the combiner (not the sampling ones).
    HRESULT setStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    HRESULT getStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) const;
    // Sampling, kept per stage: the Direct3D 9 sampler states and the Direct3D 8 sampling stage
    // states land here.
    HRESULT setSamplerState(DWORD stage, D3DSAMPLERSTATETYPE type, DWORD value);
    HRESULT getSamplerState(DWORD stage, D3DSAMPLERSTATETYPE type, DWORD* value) const;
    HRESULT setScissorRect(const RECT* rect);
    HRESULT getScissorRect(RECT* rect) const;

    // --- Drawing ---
    HRESULT setFVF(DWORD fvf);
    DWORD fvf() const { return m_fvf; }
    HRESULT drawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount, const void* vertices,
                            uint32_t stride);
    HRESULT drawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex, uint32_t numVertices,
                                   uint32_t primitiveCount, const void* indices,
                                   D3DFORMAT indexFormat, const void* vertices, uint32_t stride);

    // --- OpenGL ---
    // Makes the device's context current (nothing in recording mode).
    bool makeCurrent();
    const SGLFunctions& gl() const { return m_gl; }
    bool usesGL() const { return !m_recording; }
    GLuint readFramebuffer() const { return m_readFbo; }
    // Attaches a colour surface to the read frame buffer (resolving a multisample one first);
    // false when it has no GL storage.
    bool bindForReading(CCoreSurface* surface);
    void restoreDrawFramebuffer();
    void deleteGLTexture(GLuint name);
    void deleteGLRenderbuffer(GLuint name);
    const SGLLimits& limits() const { return m_limits; }

private:
    CCoreDevice(CCoreAdapter* adapter, bool recording);

    HRESULT initialise(HWND focusWindow, DWORD behavior, SPresentSetup& setup);
    HRESULT validateSetup(SPresentSetup& setup) const;
    HRESULT enterDisplayMode(const SPresentSetup& setup);
    void leaveDisplayMode();
    HRESULT createSwapChain(SPresentSetup& setup);
    void releaseSwapChain();
    void buildCaps();
    void setDefaultStates();
    void applyAllStates();
    void startFromDefaults(const SPresentSetup& setup);
    void applyRenderState(D3DRENDERSTATETYPE state);
    void applySampler(DWORD stage);
    void onReleased();

    // Drawing helpers.
    HRESULT checkDraw(D3DPRIMITIVETYPE type, uint32_t primitiveCount, const void* vertices,
                      uint32_t stride, uint32_t& vertexCount) const;
    void prepareDraw(const uint8_t* vertices, uint32_t stride, uint32_t vertexCount);
    void finishDraw();
    void updateFramebuffer();
    void updateViewportAndProjection();
    void updateModelView();
    void updateLightsAndPlanes();
    void updateMaterial();
    void updateStages();
    void updatePoints();
    void resolveBackBuffer();
    void keepFrontBuffer();

    CCoreAdapter* m_adapter;
    bool m_recording;
    uint32_t m_refs = 1;
    uint32_t m_children = 0;
    bool m_released = false;

    SPresentSetup m_setup;
    platform::CWindow* m_window = nullptr;
    HWND m_windowHandle = nullptr;
    bool m_fullscreen = false;
    bool m_modeChanged = false;
    int32_t m_windowedWidth = 0, m_windowedHeight = 0;
    D3DCAPS_COMMON m_caps{};
    DWORD m_behavior = 0;

    // Loss.
    bool m_lost = false;
    uint32_t m_lostTestsLeft = 0;

    // The swap chain and targets.
    CCoreSurface* m_backBuffer = nullptr;
    CCoreSurface* m_autoDepth = nullptr;
    CCoreSurface* m_renderTarget = nullptr;
    CCoreSurface* m_depthStencil = nullptr;
    uint32_t m_defaultResources = 0;
    std::vector<uint8_t> m_frontMemory;  // recording mode: the last presented frame
    uint32_t m_frontWidth = 0, m_frontHeight = 0;
    bool m_hasFront = false;

    // State.
    DWORD m_renderStates[D3DRS_COUNT_] = {};
    DWORD m_stageStates[MaxStages][D3DTSS_COUNT_] = {};
    DWORD m_samplerStates[MaxStages][D3DSAMP_COUNT_] = {};
    CCoreTexture* m_textures[MaxStages] = {};
    D3DMATRIX m_view{}, m_projection{}, m_world{};
    D3DMATRIX m_textureMatrices[MaxStages] = {};
    D3DVIEWPORT m_viewport{};
    RECT m_scissor{};
    D3DMATERIAL m_material{};
    D3DLIGHT m_lights[MaxLights] = {};
    bool m_lightEnabled[MaxLights] = {};
    float m_clipPlanes[MaxClipPlanes][4] = {};
    DWORD m_fvf = 0;
    bool m_inScene = false;

    // OpenGL.
    platform::CGLContext m_context;
    SGLFunctions m_gl;
    SGLLimits m_limits;
    GLuint m_drawFbo = 0, m_readFbo = 0, m_resolveFbo = 0, m_frontFbo = 0;
    GLuint m_frontTexture = 0;
    GLuint m_whiteTexture = 0;
    GLuint m_samplers[MaxStages] = {};
    bool m_dirtyFramebuffer = true;
    bool m_dirtyViewport = true;
    bool m_dirtyModelView = true;
    bool m_dirtyLights = true;
    bool m_dirtyMaterial = true;
    bool m_dirtyStages = true;
    GLuint m_attachedColor = 0, m_attachedDepth = 0;
    bool m_depthAttached = false;
    bool m_hasStencil = false;
    std::vector<uint8_t> m_colorScratch;
};

// The control's shared state, as the core and the faces see it.
namespace control {

// A forced result for the method, when one is waiting (and then it is used up).
bool takeForcedResult(const char* method, HRESULT& result);
bool formatRefused(D3DFORMAT format);
bool multiSampleRefused(uint32_t samples);
bool depthStencilMatchRefused(D3DFORMAT format);
bool vertexProcessingRefused(DWORD behavior);
void adjustCaps(D3DCAPS_COMMON& caps);
DWORD vendorId();
D3DDISPLAYMODE recordingDisplayMode();
// The scripted raster status: D3DERR_INVALIDCALL when not scripted or scripted to fail.
HRESULT rasterStatus(bool& inVerticalBlank);
bool moduleRemoved(const char* module);
bool entryPointRemoved(const char* module, const char* entryPoint);
bool recordingMode();
bool recordingCalls();
void deviceCreated(CCoreDevice* device);
void deviceDestroyed(CCoreDevice* device);
// The capabilities the last OpenGL context gave (for the adapter's answers before a device).
void rememberGLCaps(const D3DCAPS_COMMON& caps, uint32_t maxSamples);
bool lastGLCaps(D3DCAPS_COMMON& caps, uint32_t& maxSamples);

}  // namespace control

// One call through a face: when a forced result waits, the call does nothing but return it;
// otherwise the face does its work and `done` records the call (when recording) and returns
// the result.
class CCall {
public:
    CCall(const char* method, std::initializer_list<uint64_t> args = {});
    ~CCall();
    CCall(const CCall&) = delete;
    CCall& operator=(const CCall&) = delete;

    bool forced() const { return m_forced; }
    HRESULT result() const { return m_result; }

    CCall& arg(uint64_t value);
    CCall& ptr(const void* p) { return arg(reinterpret_cast<uintptr_t>(p)); }
    CCall& rect(const RECT* r);
    CCall& floats(const float* values, size_t count);
    CCall& bytes(const void* data, size_t count);
    HRESULT done(HRESULT result);

private:
    bool m_recording;
    bool m_forced = false;
    bool m_finished = false;
    HRESULT m_result = D3D_OK;
    const char* m_method;
    std::vector<uint64_t> m_args;
    std::vector<float> m_floats;
    std::vector<uint8_t> m_bytes;
};

// The number of vertices a primitive count takes; false for an unknown primitive type.
bool vertexCountOf(D3DPRIMITIVETYPE type, uint32_t primitives, uint32_t& count);

// Logs a text once in the process (for states and operations without an OpenGL equivalent).
void logOnce(const std::string& text);

}  // namespace oskel::d3d
