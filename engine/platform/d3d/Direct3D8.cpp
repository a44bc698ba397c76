// The Direct3D 8 face: the interfaces of D3D8.h over the device core, each call recorded and
// open to forced results through the test control.

#include <cstdio>
#include <cstring>

#include "engine/platform/d3d/D3D8.h"
#include "engine/platform/d3d/D3DCore.h"

namespace oskel::d3d {

namespace {

class CDirect3D8;
class CDevice8;
class CTexture8;
class CSurface8;

// The face object of a core object, made on first use.
template <class Face, class Core>
Face* faceOf(Core* core) {
    if (!core) return nullptr;
    if (CFaceView* view = core->face(Face8)) return static_cast<Face*>(view);
    auto* face = new Face(core);
    core->setFace(Face8, face);
    return face;
}

uint64_t objectArg(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// The sampler state of a sampling stage state (both lists keep the same order).
D3DSAMPLERSTATETYPE samplerOf(D3DTEXTURESTAGESTATETYPE type) {
    return static_cast<D3DSAMPLERSTATETYPE>(D3DSAMP_ADDRESSU + (type - D3DTSS_ADDRESSU));
}

SPresentSetup setupOf(const D3DPRESENT_PARAMETERS8& pp) {
    SPresentSetup s;
    s.width = pp.BackBufferWidth;
    s.height = pp.BackBufferHeight;
    s.backBufferFormat = pp.BackBufferFormat;
    s.backBufferCount = pp.BackBufferCount;
    s.samples = pp.MultiSampleType;
    s.swapEffect = pp.SwapEffect;
    s.window = pp.hDeviceWindow;
    s.windowed = pp.Windowed != FALSE;
    s.autoDepthStencil = pp.EnableAutoDepthStencil != FALSE;
    s.depthStencilFormat = pp.AutoDepthStencilFormat;
    s.flags = pp.Flags;
    s.refreshRate = pp.FullScreen_RefreshRateInHz;
    // Direct3D 8 has no presentation interval for windows: a window presents at once.
    s.interval = s.windowed ? D3DPRESENT_INTERVAL_IMMEDIATE : pp.FullScreen_PresentationInterval;
    return s;
}

// Direct3D fills in what it chose.
void writeBack(const SPresentSetup& s, D3DPRESENT_PARAMETERS8& pp) {
    pp.BackBufferWidth = s.width;
    pp.BackBufferHeight = s.height;
    pp.BackBufferFormat = s.backBufferFormat;
    pp.BackBufferCount = s.backBufferCount;
}

void presentArgs(CCall& call, const D3DPRESENT_PARAMETERS8* pp) {
    if (!pp) return;
    call.arg(pp->BackBufferWidth)
        .arg(pp->BackBufferHeight)
        .arg(pp->BackBufferFormat)
        .arg(pp->BackBufferCount);
    call.arg(pp->MultiSampleType).arg(pp->SwapEffect).ptr(pp->hDeviceWindow);
    call.arg(static_cast<uint32_t>(pp->Windowed))
        .arg(static_cast<uint32_t>(pp->EnableAutoDepthStencil));
    call.arg(pp->AutoDepthStencilFormat).arg(pp->Flags).arg(pp->FullScreen_RefreshRateInHz);
    call.arg(pp->FullScreen_PresentationInterval);
}

// ---------------------------------------------------------------------------------------------

class CSurface8 final : public IDirect3DSurface8, public CFaceView {
public:
    explicit CSurface8(CCoreSurface* core) : m_core(core) {}
    CCoreSurface* core() const { return m_core; }

    ULONG AddRef() override { return m_core->addRef(); }
    ULONG Release() override { return m_core->release(); }

    HRESULT GetDesc(D3DSURFACE_DESC8* desc) override {
        CCall call("GetDesc", {objectArg(this)});
        if (call.forced()) return call.result();
        if (!desc) return call.done(D3DERR_INVALIDCALL);
        desc->Format = m_core->format();
        desc->Type = D3DRTYPE_SURFACE;
        desc->Usage = m_core->usage();
        desc->Pool = m_core->pool();
        desc->Size = m_core->pitch() * m_core->height();
        desc->MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(m_core->samples());
        desc->Width = m_core->width();
        desc->Height = m_core->height();
        return call.done(D3D_OK);
    }

    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override {
        CCall call("LockRect", {objectArg(this)});
        call.rect(rect).arg(flags);
        if (call.forced()) {
            if (locked) *locked = D3DLOCKED_RECT{0, nullptr};
            return call.result();
        }
        return call.done(m_core->lockRect(locked, rect, flags));
    }

    HRESULT UnlockRect() override {
        CCall call("UnlockRect", {objectArg(this)});
        if (call.forced()) return call.result();
        return call.done(m_core->unlockRect());
    }

private:
    CCoreSurface* m_core;
};

CCoreSurface* coreOf(IDirect3DSurface8* surface) {
    return surface ? static_cast<CSurface8*>(surface)->core() : nullptr;
}

// ---------------------------------------------------------------------------------------------

class CTexture8 final : public IDirect3DTexture8, public CFaceView {
public:
    explicit CTexture8(CCoreTexture* core) : m_core(core) {}
    CCoreTexture* core() const { return m_core; }

    ULONG AddRef() override { return m_core->addRef(); }
    ULONG Release() override { return m_core->release(); }

    DWORD GetLevelCount() override { return m_core->levelCount(); }

    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC8* desc) override {
        CCall call("GetLevelDesc", {objectArg(this), level});
        if (call.forced()) return call.result();
        CCoreSurface* surface = m_core->level(level);
        if (!surface || !desc) return call.done(D3DERR_INVALIDCALL);
        desc->Format = surface->format();
        desc->Type = D3DRTYPE_SURFACE;
        desc->Usage = surface->usage();
        desc->Pool = surface->pool();
        desc->Size = surface->pitch() * surface->height();
        desc->MultiSampleType = D3DMULTISAMPLE_NONE;
        desc->Width = surface->width();
        desc->Height = surface->height();
        return call.done(D3D_OK);
    }

    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override {
        CCall call("GetSurfaceLevel", {objectArg(this), level});
        if (surface) *surface = nullptr;
        if (call.forced()) return call.result();
        CCoreSurface* s = m_core->level(level);
        if (!s || !surface) return call.done(D3DERR_INVALIDCALL);
        s->addRef();
        *surface = faceOf<CSurface8>(s);
        return call.done(D3D_OK);
    }

    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override {
        CCall call("LockRect", {objectArg(this), level});
        call.rect(rect).arg(flags);
        if (call.forced()) {
            if (locked) *locked = D3DLOCKED_RECT{0, nullptr};
            return call.result();
        }
        CCoreSurface* s = m_core->level(level);
        if (!s) {
            if (locked) *locked = D3DLOCKED_RECT{0, nullptr};
            return call.done(D3DERR_INVALIDCALL);
        }
        return call.done(s->lockRect(locked, rect, flags));
    }

    HRESULT UnlockRect(UINT level) override {
        CCall call("UnlockRect", {objectArg(this), level});
        if (call.forced()) return call.result();
        CCoreSurface* s = m_core->level(level);
        if (!s) return call.done(D3DERR_INVALIDCALL);
        return call.done(s->unlockRect());
    }

private:
    CCoreTexture* m_core;
};

CCoreTexture* coreOf(IDirect3DTexture8* texture) {
    return texture ? static_cast<CTexture8*>(texture)->core() : nullptr;
}

// ---------------------------------------------------------------------------------------------

class CDevice8 final : public IDirect3DDevice8, public CFaceView {
public:
    explicit CDevice8(CCoreDevice* core) : m_core(core) {}

    ULONG AddRef() override { return m_core->addRef(); }
    ULONG Release() override { return m_core->release(); }

    HRESULT TestCooperativeLevel() override {
        CCall call("TestCooperativeLevel");
        if (call.forced()) return call.result();
        return call.done(m_core->testCooperativeLevel());
    }

    HRESULT GetDirect3D(IDirect3D8** direct3D) override;

    HRESULT GetDeviceCaps(D3DCAPS8* caps) override {
        CCall call("GetDeviceCaps");
        if (call.forced()) return call.result();
        if (!caps) return call.done(D3DERR_INVALIDCALL);
        *caps = D3DCAPS8{};
        static_cast<D3DCAPS_COMMON&>(*caps) = m_core->caps();
        return call.done(D3D_OK);
    }

    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override {
        CCall call("GetDisplayMode");
        if (call.forced()) return call.result();
        if (!mode) return call.done(D3DERR_INVALIDCALL);
        *mode = m_core->displayMode();
        return call.done(mode->Width ? D3D_OK : D3DERR_NOTAVAILABLE);
    }

    HRESULT Reset(D3DPRESENT_PARAMETERS8* pp) override {
        CCall call("Reset");
        presentArgs(call, pp);
        if (call.forced()) return call.result();
        if (!pp) return call.done(D3DERR_INVALIDCALL);
        SPresentSetup setup = setupOf(*pp);
        const HRESULT result = m_core->reset(setup);
        if (SUCCEEDED(result)) writeBack(setup, *pp);
        return call.done(result);
    }

    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND window,
                    const void* dirty) override {
        CCall call("Present");
        call.rect(sourceRect).rect(destRect).ptr(window).ptr(dirty);
        if (call.forced()) return call.result();
        return call.done(m_core->present(sourceRect, destRect, window));
    }

    HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface8** backBuffer) override {
        CCall call("GetBackBuffer", {index, type});
        if (backBuffer) *backBuffer = nullptr;
        if (call.forced()) return call.result();
        if (!backBuffer || index != 0 || type != D3DBACKBUFFER_TYPE_MONO || !m_core->backBuffer())
            return call.done(D3DERR_INVALIDCALL);
        m_core->backBuffer()->addRef();
        *backBuffer = faceOf<CSurface8>(m_core->backBuffer());
        return call.done(D3D_OK);
    }

    HRESULT GetRasterStatus(D3DRASTER_STATUS* status) override {
        CCall call("GetRasterStatus");
        if (status) *status = D3DRASTER_STATUS{FALSE, 0};
        if (call.forced()) return call.result();
        if (!status) return call.done(D3DERR_INVALIDCALL);
        bool inBlank = false;
        const HRESULT result = control::rasterStatus(inBlank);
        if (SUCCEEDED(result)) status->InVBlank = inBlank ? TRUE : FALSE;
        return call.done(result);
    }

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture8** texture) override {
        CCall call("CreateTexture", {width, height, levels, usage, format, pool});
        if (texture) *texture = nullptr;
        if (call.forced()) return call.result();
        if (!texture) return call.done(D3DERR_INVALIDCALL);
        CCoreTexture* core = nullptr;
        const HRESULT result =
            m_core->createTexture(width, height, levels, usage, format, pool, &core);
        if (SUCCEEDED(result)) *texture = faceOf<CTexture8>(core);
        return call.done(result);
    }

    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                               IDirect3DSurface8** surface) override {
        CCall call("CreateImageSurface", {width, height, format});
        if (surface) *surface = nullptr;
        if (call.forced()) return call.result();
        if (!surface) return call.done(D3DERR_INVALIDCALL);
        CCoreSurface* core = nullptr;
        const HRESULT result =
            m_core->createOffscreenPlainSurface(width, height, format, D3DPOOL_SYSTEMMEM, &core);
        if (SUCCEEDED(result)) *surface = faceOf<CSurface8>(core);
        return call.done(result);
    }

    HRESULT CopyRects(IDirect3DSurface8* source, const RECT* rects, UINT count,
                      IDirect3DSurface8* dest, const POINT* points) override {
        CCall call("CopyRects", {objectArg(source), count, objectArg(dest)});
        for (UINT i = 0; rects && i < count; ++i) call.rect(&rects[i]);
        if (call.forced()) return call.result();
        return call.done(m_core->copyRects(coreOf(source), rects, count, coreOf(dest), points));
    }

    HRESULT GetFrontBuffer(IDirect3DSurface8* dest) override {
        CCall call("GetFrontBuffer", {objectArg(dest)});
        if (call.forced()) return call.result();
        return call.done(m_core->getFrontBufferData(coreOf(dest)));
    }

    HRESULT SetRenderTarget(IDirect3DSurface8* target, IDirect3DSurface8* depth) override {
        CCall call("SetRenderTarget", {objectArg(target), objectArg(depth)});
        if (call.forced()) return call.result();
        if (target) {
            const HRESULT result = m_core->setRenderTarget(0, coreOf(target));
            if (FAILED(result)) return call.done(result);
        }
        return call.done(m_core->setDepthStencil(coreOf(depth)));
    }

    HRESULT GetRenderTarget(IDirect3DSurface8** target) override {
        CCall call("GetRenderTarget");
        if (target) *target = nullptr;
        if (call.forced()) return call.result();
        if (!target) return call.done(D3DERR_INVALIDCALL);
        CCoreSurface* s = m_core->renderTarget();
        if (!s) return call.done(D3DERR_NOTFOUND);
        s->addRef();
        *target = faceOf<CSurface8>(s);
        return call.done(D3D_OK);
    }

    HRESULT GetDepthStencilSurface(IDirect3DSurface8** surface) override {
        CCall call("GetDepthStencilSurface");
        if (surface) *surface = nullptr;
        if (call.forced()) return call.result();
        if (!surface) return call.done(D3DERR_INVALIDCALL);
        CCoreSurface* s = m_core->depthStencil();
        if (!s) return call.done(D3DERR_NOTFOUND);
        s->addRef();
        *surface = faceOf<CSurface8>(s);
        return call.done(D3D_OK);
    }

    HRESULT BeginScene() override {
        CCall call("BeginScene");
        if (call.forced()) return call.result();
        return call.done(m_core->beginScene());
    }

    HRESULT EndScene() override {
        CCall call("EndScene");
        if (call.forced()) return call.result();
        return call.done(m_core->endScene());
    }

    HRESULT Clear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override {
        CCall call("Clear", {count});
        for (DWORD i = 0; rects && i < count; ++i) call.rect(&rects[i]);
        call.arg(flags).arg(color).arg(stencil).floats(&z, 1);
        if (call.forced()) return call.result();
        return call.done(m_core->clear(count, rects, flags, color, z, stencil));
    }

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override {
        CCall call("SetTransform", {state});
        if (matrix) call.floats(&matrix->m[0][0], 16);
        if (call.forced()) return call.result();
        return call.done(m_core->setTransform(state, matrix));
    }

    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override {
        CCall call("GetTransform", {state});
        if (call.forced()) return call.result();
        return call.done(m_core->getTransform(state, matrix));
    }

    HRESULT SetViewport(const D3DVIEWPORT8* viewport) override {
        CCall call("SetViewport");
        if (viewport) {
            const float v[6] = {static_cast<float>(viewport->X),
                                static_cast<float>(viewport->Y),
                                static_cast<float>(viewport->Width),
                                static_cast<float>(viewport->Height),
                                viewport->MinZ,
                                viewport->MaxZ};
            call.floats(v, 6);
        }
        if (call.forced()) return call.result();
        return call.done(m_core->setViewport(viewport));
    }

    HRESULT GetViewport(D3DVIEWPORT8* viewport) override {
        CCall call("GetViewport");
        if (call.forced()) return call.result();
        return call.done(m_core->getViewport(viewport));
    }

    HRESULT SetMaterial(const D3DMATERIAL8* material) override {
        CCall call("SetMaterial");
        if (material) call.floats(&material->Diffuse.r, 17);
        if (call.forced()) return call.result();
        return call.done(m_core->setMaterial(material));
    }

    HRESULT GetMaterial(D3DMATERIAL8* material) override {
        CCall call("GetMaterial");
        if (call.forced()) return call.result();
        return call.done(m_core->getMaterial(material));
    }

    HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override {
        CCall call("SetLight", {index});
        if (light) call.arg(light->Type).floats(&light->Diffuse.r, 25);
        if (call.forced()) return call.result();
        return call.done(m_core->setLight(index, light));
    }

    HRESULT GetLight(DWORD index, D3DLIGHT8* light) override {
        CCall call("GetLight", {index});
        if (call.forced()) return call.result();
        return call.done(m_core->getLight(index, light));
    }

    HRESULT LightEnable(DWORD index, BOOL enable) override {
        CCall call("LightEnable", {index, static_cast<uint32_t>(enable)});
        if (call.forced()) return call.result();
        return call.done(m_core->lightEnable(index, enable));
    }

    HRESULT SetClipPlane(DWORD index, const float* plane) override {
        CCall call("SetClipPlane", {index});
        call.floats(plane, 4);
        if (call.forced()) return call.result();
        return call.done(m_core->setClipPlane(index, plane));
    }

    HRESULT GetClipPlane(DWORD index, float* plane) override {
        CCall call("GetClipPlane", {index});
        if (call.forced()) return call.result();
        return call.done(m_core->getClipPlane(index, plane));
    }

    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        CCall call("SetRenderState", {state, value});
        if (call.forced()) return call.result();
        return call.done(m_core->setRenderState(state, value));
    }

    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override {
        CCall call("GetRenderState", {state});
        if (call.forced()) return call.result();
        return call.done(m_core->getRenderState(state, value));
    }

    HRESULT SetTexture(DWORD stage, IDirect3DTexture8* texture) override {
        CCall call("SetTexture", {stage, objectArg(texture)});
        if (call.forced()) return call.result();
        return call.done(m_core->setTexture(stage, coreOf(texture)));
    }

    HRESULT GetTexture(DWORD stage, IDirect3DTexture8** texture) override {
        CCall call("GetTexture", {stage});
        if (texture) *texture = nullptr;
        if (call.forced()) return call.result();
        if (!texture || stage >= CCoreDevice::MaxStages) return call.done(D3DERR_INVALIDCALL);
        if (CCoreTexture* t = m_core->texture(stage)) {
            t->addRef();
            *texture = faceOf<CTexture8>(t);
        }
        return call.done(D3D_OK);
    }

    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
        CCall call("SetTextureStageState", {stage, type, value});
        if (call.forced()) return call.result();
        if (type >= D3DTSS_COUNT_) return call.done(D3DERR_INVALIDCALL);
        // Sampling lands on the core's per-stage samplers.
        if (type >= D3DTSS_ADDRESSU)
            return call.done(m_core->setSamplerState(stage, samplerOf(type), value));
        return call.done(m_core->setStageState(stage, type, value));
    }

    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                 DWORD* value) override {
        CCall call("GetTextureStageState", {stage, type});
        if (call.forced()) return call.result();
        if (type >= D3DTSS_COUNT_) return call.done(D3DERR_INVALIDCALL);
        if (type >= D3DTSS_ADDRESSU)
            return call.done(m_core->getSamplerState(stage, samplerOf(type), value));
        return call.done(m_core->getStageState(stage, type, value));
    }

    HRESULT SetVertexShader(DWORD handle) override {
        CCall call("SetVertexShader", {handle});
        if (call.forced()) return call.result();
        // Only flexible vertex formats: no shader program is ever made.
        return call.done(m_core->setFVF(handle));
    }

    HRESULT GetVertexShader(DWORD* handle) override {
        CCall call("GetVertexShader");
        if (call.forced()) return call.result();
        if (!handle) return call.done(D3DERR_INVALIDCALL);
        *handle = m_core->fvf();
        return call.done(D3D_OK);
    }

    HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle,
                               DWORD usage) override {
        CCall call("CreateVertexShader", {objectArg(declaration), objectArg(function), usage});
        if (handle) *handle = 0;
        if (call.forced()) return call.result();
        logOnce("Direct3D layer: shader programs are not supported.");
        return call.done(D3DERR_INVALIDCALL);
    }

    HRESULT SetVertexShaderConstant(DWORD start, const void* data, DWORD count) override {
        CCall call("SetVertexShaderConstant", {start, count});
        call.floats(static_cast<const float*>(data), static_cast<size_t>(count) * 4);
        if (call.forced()) return call.result();
        return call.done(data ? D3D_OK : D3DERR_INVALIDCALL);
    }

    HRESULT CreatePixelShader(const DWORD* function, DWORD* handle) override {
        CCall call("CreatePixelShader", {objectArg(function)});
        if (handle) *handle = 0;
        if (call.forced()) return call.result();
        logOnce("Direct3D layer: shader programs are not supported.");
        return call.done(D3DERR_INVALIDCALL);
    }

    HRESULT SetPixelShader(DWORD handle) override {
        CCall call("SetPixelShader", {handle});
        if (call.forced()) return call.result();
        return call.done(handle ? D3DERR_INVALIDCALL : D3D_OK);
    }

    HRESULT SetPixelShaderConstant(DWORD start, const void* data, DWORD count) override {
        CCall call("SetPixelShaderConstant", {start, count});
        call.floats(static_cast<const float*>(data), static_cast<size_t>(count) * 4);
        if (call.forced()) return call.result();
        return call.done(data ? D3D_OK : D3DERR_INVALIDCALL);
    }

    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* vertices,
                            UINT stride) override {
        CCall call("DrawPrimitiveUP", {type, count, stride});
        if (call.forced()) return call.result();
        const HRESULT result = m_core->drawPrimitiveUP(type, count, vertices, stride);
        // The memory is recorded once the call found it to be what it says.
        uint32_t n = 0;
        if (SUCCEEDED(result) && vertexCountOf(type, count, n))
            call.bytes(vertices, static_cast<size_t>(n) * stride);
        return call.done(result);
    }

    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                                   UINT count, const void* indices, D3DFORMAT indexFormat,
                                   const void* vertices, UINT stride) override {
        CCall call("DrawIndexedPrimitiveUP",
                   {type, minIndex, numVertices, count, indexFormat, stride});
        if (call.forced()) return call.result();
        const HRESULT result = m_core->drawIndexedPrimitiveUP(
            type, minIndex, numVertices, count, indices, indexFormat, vertices, stride);
        uint32_t n = 0;
        if (SUCCEEDED(result) && vertexCountOf(type, count, n)) {
            call.bytes(vertices, (static_cast<size_t>(minIndex) + numVertices) * stride);
            call.bytes(indices, static_cast<size_t>(n) * (indexFormat == D3DFMT_INDEX32 ? 4 : 2));
        }
        return call.done(result);
    }

private:
    CCoreDevice* m_core;
};

// ---------------------------------------------------------------------------------------------

class CDirect3D8 final : public IDirect3D8, public CFaceView {
public:
    explicit CDirect3D8(CCoreAdapter* core) : m_core(core) {}

    ULONG AddRef() override { return m_core->addRef(); }
    ULONG Release() override { return m_core->release(); }

    UINT GetAdapterCount() override { return 1; }

    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* id) override {
        CCall call("GetAdapterIdentifier", {adapter, flags});
        if (call.forced()) return call.result();
        if (adapter != D3DADAPTER_DEFAULT || !id) return call.done(D3DERR_INVALIDCALL);
        *id = D3DADAPTER_IDENTIFIER8{};
        std::snprintf(id->Driver, sizeof id->Driver, "%s", "oskel-d3d-gl");
        std::snprintf(id->Description, sizeof id->Description, "%s", "Direct3D over OpenGL");
        id->DriverVersion.HighPart = (1 << 16) | 0;
        id->DriverVersion.LowPart = (0u << 16) | 1u;
        id->VendorId = m_core->vendorId();
        return call.done(D3D_OK);
    }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
        CCall call("GetAdapterDisplayMode", {adapter});
        if (call.forced()) return call.result();
        if (adapter != D3DADAPTER_DEFAULT || !mode) return call.done(D3DERR_INVALIDCALL);
        *mode = m_core->displayMode();
        return call.done(mode->Width ? D3D_OK : D3DERR_NOTAVAILABLE);
    }

    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT format) override {
        CCall call("CheckDeviceFormat",
                   {adapter, type, adapterFormat, usage, resourceType, format});
        if (call.forced()) return call.result();
        if (adapter != D3DADAPTER_DEFAULT) return call.done(D3DERR_INVALIDCALL);
        return call.done(
            m_core->checkDeviceFormat(type, adapterFormat, usage, resourceType, format));
    }

    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format,
                                       BOOL windowed, D3DMULTISAMPLE_TYPE samples) override {
        CCall call("CheckDeviceMultiSampleType",
                   {adapter, type, format, static_cast<uint32_t>(windowed), samples});
        if (call.forced()) return call.result();
        if (adapter != D3DADAPTER_DEFAULT) return call.done(D3DERR_INVALIDCALL);
        return call.done(m_core->checkMultiSample(type, format, samples, nullptr));
    }

    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTarget, D3DFORMAT depthStencil) override {
        CCall call("CheckDepthStencilMatch",
                   {adapter, type, adapterFormat, renderTarget, depthStencil});
        if (call.forced()) return call.result();
        if (adapter != D3DADAPTER_DEFAULT) return call.done(D3DERR_INVALIDCALL);
        return call.done(
            m_core->checkDepthStencilMatch(type, adapterFormat, renderTarget, depthStencil));
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override {
        CCall call("GetDeviceCaps", {adapter, type});
        if (call.forced()) return call.result();
        if (adapter != D3DADAPTER_DEFAULT || !caps) return call.done(D3DERR_INVALIDCALL);
        if (type != D3DDEVTYPE_HAL) return call.done(D3DERR_NOTAVAILABLE);
        *caps = D3DCAPS8{};
        static_cast<D3DCAPS_COMMON&>(*caps) = m_core->caps();
        return call.done(D3D_OK);
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behavior,
                         D3DPRESENT_PARAMETERS8* pp, IDirect3DDevice8** device) override {
        CCall call("CreateDevice", {adapter, type, objectArg(focusWindow), behavior});
        presentArgs(call, pp);
        if (device) *device = nullptr;
        if (call.forced()) return call.result();
        if (adapter != D3DADAPTER_DEFAULT || !pp || !device) return call.done(D3DERR_INVALIDCALL);
        SPresentSetup setup = setupOf(*pp);
        CCoreDevice* core = nullptr;
        const HRESULT result =
            CCoreDevice::create(m_core, type, focusWindow, behavior, setup, &core);
        if (SUCCEEDED(result)) {
            writeBack(setup, *pp);
            *device = faceOf<CDevice8>(core);
        }
        return call.done(result);
    }

private:
    CCoreAdapter* m_core;
};

HRESULT CDevice8::GetDirect3D(IDirect3D8** direct3D) {
    CCall call("GetDirect3D");
    if (direct3D) *direct3D = nullptr;
    if (call.forced()) return call.result();
    if (!direct3D) return call.done(D3DERR_INVALIDCALL);
    m_core->adapter()->addRef();
    *direct3D = faceOf<CDirect3D8>(m_core->adapter());
    return call.done(D3D_OK);
}

}  // namespace

IDirect3D8* Direct3DCreate8(UINT sdkVersion) {
    CCall call("Direct3DCreate8", {sdkVersion});
    if (call.forced() || sdkVersion != D3D8_SDK_VERSION) {
        if (!call.forced()) call.done(D3DERR_INVALIDCALL);
        return nullptr;
    }
    auto* core = new CCoreAdapter();
    call.done(D3D_OK);
    return faceOf<CDirect3D8>(core);
}

HRESULT D3DXAssembleShader(const void*, UINT, DWORD, ID3DXBuffer** constants,
                           ID3DXBuffer** compiledShader, ID3DXBuffer** errors) {
    CCall call("D3DXAssembleShader");
    if (constants) *constants = nullptr;
    if (compiledShader) *compiledShader = nullptr;
    if (errors) *errors = nullptr;
    if (call.forced()) return call.result();
    return call.done(D3DERR_NOTAVAILABLE);
}

}  // namespace oskel::d3d
