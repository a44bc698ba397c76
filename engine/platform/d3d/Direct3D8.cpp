// The Direct3D 8 face: the interfaces of D3D8.h over the device core, each call recorded and
// open to forced results through the test control.

#include <cstdio>
#include <cstring>

#include "engine/platform/d3d/D3D8.h"
#include "engine/platform/d3d/D3DCore.h"
#include "engine/platform/d3d/FaceViews.h"

namespace oskel::d3d {

namespace {

class CDirect3D8;
class CDevice8;
class CTexture8;
class CSurface8;

// The face object of a core object, made on first use.
template <class Face, class Core>
Face* faceOf(Core* core) {
    return faceViewOf<Face, Face8>(core);
}

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

// The interfaces the shared surface and texture views take.
struct SFace8Views {
    using Adapter = IDirect3D8;
    using Device = IDirect3DDevice8;
    using Surface = IDirect3DSurface8;
    using Caps = D3DCAPS8;
    using Texture = IDirect3DTexture8;
    using SurfaceDesc = D3DSURFACE_DESC8;
    static constexpr EFace kFace = Face8;
    // A description of Direct3D 8 carries the size in bytes.
    static void describe(SurfaceDesc& desc, const CCoreSurface& surface) {
        desc.Size = surface.pitch() * surface.height();
    }
};

class CSurface8 final : public TSurfaceView<SFace8Views> {
public:
    using TSurfaceView::TSurfaceView;
};

CCoreSurface* coreOf(IDirect3DSurface8* surface) {
    return surface ? static_cast<CSurface8*>(surface)->core() : nullptr;
}

// ---------------------------------------------------------------------------------------------

class CTexture8 final : public TTextureView<SFace8Views, CSurface8> {
public:
    using TTextureView::TTextureView;
};

// ---------------------------------------------------------------------------------------------

class CDevice8 final : public TDeviceView<SFace8Views, CTexture8, CSurface8> {
public:
    using TDeviceView::TDeviceView;

    HRESULT GetDirect3D(IDirect3D8** direct3D) override;

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
};

// ---------------------------------------------------------------------------------------------

class CDirect3D8 final : public TAdapterView<SFace8Views> {
public:
    using TAdapterView::TAdapterView;

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

    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format,
                                       BOOL windowed, D3DMULTISAMPLE_TYPE samples) override {
        CCall call("CheckDeviceMultiSampleType",
                   {adapter, type, format, static_cast<uint32_t>(windowed), samples});
        if (call.forced()) return call.result();
        if (adapter != D3DADAPTER_DEFAULT) return call.done(D3DERR_INVALIDCALL);
        return call.done(m_core->checkMultiSample(type, format, samples, nullptr));
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
