// The Direct3D 9 face: the interfaces of D3D9.h over the device core, each call recorded and
// open to forced results through the test control.

#include <cstdio>
#include <cstring>

#include "engine/platform/d3d/D3D9.h"
#include "engine/platform/d3d/D3DCore.h"
#include "engine/platform/d3d/FaceViews.h"

namespace oskel::d3d {

namespace {

class CDirect3D9;
class CDevice9;
class CTexture9;
class CSurface9;

// The face object of a core object, made on first use.
template <class Face, class Core>
Face* faceOf(Core* core) {
    return faceViewOf<Face, Face9>(core);
}

SPresentSetup setupOf(const D3DPRESENT_PARAMETERS& pp) {
    SPresentSetup s;
    s.width = pp.BackBufferWidth;
    s.height = pp.BackBufferHeight;
    s.backBufferFormat = pp.BackBufferFormat;
    s.backBufferCount = pp.BackBufferCount;
    s.samples = pp.MultiSampleType;
    s.sampleQuality = pp.MultiSampleQuality;
    s.swapEffect = pp.SwapEffect;
    s.window = pp.hDeviceWindow;
    s.windowed = pp.Windowed != FALSE;
    s.autoDepthStencil = pp.EnableAutoDepthStencil != FALSE;
    s.depthStencilFormat = pp.AutoDepthStencilFormat;
    s.flags = pp.Flags;
    s.refreshRate = pp.FullScreen_RefreshRateInHz;
    s.interval = pp.PresentationInterval;
    return s;
}

void presentArgs(CCall& call, const D3DPRESENT_PARAMETERS* pp) {
    if (!pp) return;
    call.arg(pp->BackBufferWidth)
        .arg(pp->BackBufferHeight)
        .arg(pp->BackBufferFormat)
        .arg(pp->BackBufferCount);
    call.arg(pp->MultiSampleType)
        .arg(pp->MultiSampleQuality)
        .arg(pp->SwapEffect)
        .ptr(pp->hDeviceWindow);
    call.arg(static_cast<uint32_t>(pp->Windowed))
        .arg(static_cast<uint32_t>(pp->EnableAutoDepthStencil));
    call.arg(pp->AutoDepthStencilFormat).arg(pp->Flags).arg(pp->FullScreen_RefreshRateInHz);
    call.arg(pp->PresentationInterval);
}

// ---------------------------------------------------------------------------------------------

// The interfaces the shared surface and texture views take.
struct SFace9Views {
    using Adapter = IDirect3D9;
    using Device = IDirect3DDevice9;
    using Surface = IDirect3DSurface9;
    using Caps = D3DCAPS9;
    using Texture = IDirect3DTexture9;
    using SurfaceDesc = D3DSURFACE_DESC;
    static constexpr EFace kFace = Face9;
    static void describe(SurfaceDesc& desc, const CCoreSurface&) { desc.MultiSampleQuality = 0; }
};

class CSurface9 final : public TSurfaceView<SFace9Views> {
public:
    using TSurfaceView::TSurfaceView;
};

CCoreSurface* coreOf(IDirect3DSurface9* surface) {
    return surface ? static_cast<CSurface9*>(surface)->core() : nullptr;
}

// ---------------------------------------------------------------------------------------------

class CTexture9 final : public TTextureView<SFace9Views, CSurface9> {
public:
    using TTextureView::TTextureView;
};

// ---------------------------------------------------------------------------------------------

class CDevice9 final : public TDeviceView<SFace9Views, CTexture9, CSurface9> {
public:
    using TDeviceView::TDeviceView;

    HRESULT GetDirect3D(IDirect3D9** direct3D) override;

    HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override {
        CCall call("GetDisplayMode", {swapChain});
        if (call.forced()) return call.result();
        if (!mode || swapChain != 0) return call.done(D3DERR_INVALIDCALL);
        *mode = m_core->displayMode();
        return call.done(mode->Width ? D3D_OK : D3DERR_NOTAVAILABLE);
    }

    HRESULT Reset(D3DPRESENT_PARAMETERS* pp) override {
        CCall call("Reset");
        presentArgs(call, pp);
        if (call.forced()) return call.result();
        if (!pp) return call.done(D3DERR_INVALIDCALL);
        SPresentSetup setup = setupOf(*pp);
        const HRESULT result = m_core->reset(setup);
        if (SUCCEEDED(result)) writeBack(setup, *pp);
        return call.done(result);
    }

    HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface9** backBuffer) override {
        CCall call("GetBackBuffer", {swapChain, index, type});
        if (backBuffer) *backBuffer = nullptr;
        if (call.forced()) return call.result();
        if (!backBuffer || swapChain != 0 || index != 0 || type != D3DBACKBUFFER_TYPE_MONO ||
            !m_core->backBuffer())
            return call.done(D3DERR_INVALIDCALL);
        m_core->backBuffer()->addRef();
        *backBuffer = faceOf<CSurface9>(m_core->backBuffer());
        return call.done(D3D_OK);
    }

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) override {
        CCall call("CreateTexture", {width, height, levels, usage, format, pool});
        if (texture) *texture = nullptr;
        if (call.forced()) return call.result();
        if (!texture || shared) return call.done(D3DERR_INVALIDCALL);
        CCoreTexture* core = nullptr;
        const HRESULT result =
            m_core->createTexture(width, height, levels, usage, format, pool, &core);
        if (SUCCEEDED(result)) *texture = faceOf<CTexture9>(core);
        return call.done(result);
    }

    HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                        IDirect3DSurface9** surface, HANDLE* shared) override {
        CCall call("CreateOffscreenPlainSurface", {width, height, format, pool});
        if (surface) *surface = nullptr;
        if (call.forced()) return call.result();
        if (!surface || shared) return call.done(D3DERR_INVALIDCALL);
        CCoreSurface* core = nullptr;
        const HRESULT result =
            m_core->createOffscreenPlainSurface(width, height, format, pool, &core);
        if (SUCCEEDED(result)) *surface = faceOf<CSurface9>(core);
        return call.done(result);
    }

    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* target) override {
        CCall call("SetRenderTarget", {index, objectArg(target)});
        if (call.forced()) return call.result();
        return call.done(m_core->setRenderTarget(index, coreOf(target)));
    }

    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** target) override {
        CCall call("GetRenderTarget", {index});
        if (target) *target = nullptr;
        if (call.forced()) return call.result();
        if (!target || index >= m_core->caps().NumSimultaneousRTs)
            return call.done(D3DERR_INVALIDCALL);
        CCoreSurface* s = m_core->renderTarget();
        if (!s) return call.done(D3DERR_NOTFOUND);
        s->addRef();
        *target = faceOf<CSurface9>(s);
        return call.done(D3D_OK);
    }

    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override {
        CCall call("SetDepthStencilSurface", {objectArg(surface)});
        if (call.forced()) return call.result();
        return call.done(m_core->setDepthStencil(coreOf(surface)));
    }

    HRESULT GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dest) override {
        CCall call("GetRenderTargetData", {objectArg(target), objectArg(dest)});
        if (call.forced()) return call.result();
        return call.done(m_core->getRenderTargetData(coreOf(target), coreOf(dest)));
    }

    HRESULT GetFrontBufferData(UINT swapChain, IDirect3DSurface9* dest) override {
        CCall call("GetFrontBufferData", {swapChain, objectArg(dest)});
        if (call.forced()) return call.result();
        if (swapChain != 0) return call.done(D3DERR_INVALIDCALL);
        return call.done(m_core->getFrontBufferData(coreOf(dest)));
    }

    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
        CCall call("SetTextureStageState", {stage, type, value});
        if (call.forced()) return call.result();
        // Sampling is set through the sampler states in this face.
        if (type > D3DTSS_RESULTARG) return call.done(D3DERR_INVALIDCALL);
        return call.done(m_core->setStageState(stage, type, value));
    }

    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                 DWORD* value) override {
        CCall call("GetTextureStageState", {stage, type});
        if (call.forced()) return call.result();
        if (type > D3DTSS_RESULTARG) return call.done(D3DERR_INVALIDCALL);
        return call.done(m_core->getStageState(stage, type, value));
    }

    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override {
        CCall call("SetSamplerState", {sampler, type, value});
        if (call.forced()) return call.result();
        return call.done(m_core->setSamplerState(sampler, type, value));
    }

    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override {
        CCall call("GetSamplerState", {sampler, type});
        if (call.forced()) return call.result();
        return call.done(m_core->getSamplerState(sampler, type, value));
    }

    HRESULT SetScissorRect(const RECT* rect) override {
        CCall call("SetScissorRect");
        call.rect(rect);
        if (call.forced()) return call.result();
        return call.done(m_core->setScissorRect(rect));
    }

    HRESULT GetScissorRect(RECT* rect) override {
        CCall call("GetScissorRect");
        if (call.forced()) return call.result();
        return call.done(m_core->getScissorRect(rect));
    }

    HRESULT SetFVF(DWORD fvf) override {
        CCall call("SetFVF", {fvf});
        if (call.forced()) return call.result();
        return call.done(m_core->setFVF(fvf));
    }

    HRESULT GetFVF(DWORD* fvf) override {
        CCall call("GetFVF");
        if (call.forced()) return call.result();
        if (!fvf) return call.done(D3DERR_INVALIDCALL);
        *fvf = m_core->fvf();
        return call.done(D3D_OK);
    }

    HRESULT CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) override {
        CCall call("CreateVertexShader", {objectArg(function)});
        if (shader) *shader = nullptr;
        if (call.forced()) return call.result();
        logOnce("Direct3D layer: shader programs are not supported.");
        return call.done(D3DERR_INVALIDCALL);
    }

    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override {
        CCall call("SetVertexShader", {objectArg(shader)});
        if (call.forced()) return call.result();
        return call.done(shader ? D3DERR_INVALIDCALL : D3D_OK);
    }

    HRESULT SetVertexShaderConstantF(UINT start, const float* data, UINT count) override {
        CCall call("SetVertexShaderConstantF", {start, count});
        call.floats(data, static_cast<size_t>(count) * 4);
        if (call.forced()) return call.result();
        return call.done(data ? D3D_OK : D3DERR_INVALIDCALL);
    }

    HRESULT CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) override {
        CCall call("CreatePixelShader", {objectArg(function)});
        if (shader) *shader = nullptr;
        if (call.forced()) return call.result();
        logOnce("Direct3D layer: shader programs are not supported.");
        return call.done(D3DERR_INVALIDCALL);
    }

    HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override {
        CCall call("SetPixelShader", {objectArg(shader)});
        if (call.forced()) return call.result();
        return call.done(shader ? D3DERR_INVALIDCALL : D3D_OK);
    }

    HRESULT SetPixelShaderConstantF(UINT start, const float* data, UINT count) override {
        CCall call("SetPixelShaderConstantF", {start, count});
        call.floats(data, static_cast<size_t>(count) * 4);
        if (call.forced()) return call.result();
        return call.done(data ? D3D_OK : D3DERR_INVALIDCALL);
    }
};

// ---------------------------------------------------------------------------------------------

class CDirect3D9 final : public TAdapterView<SFace9Views> {
public:
    using TAdapterView::TAdapterView;

    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* id) override {
        CCall call("GetAdapterIdentifier", {adapter, flags});
        if (call.forced()) return call.result();
        if (adapter != D3DADAPTER_DEFAULT || !id) return call.done(D3DERR_INVALIDCALL);
        *id = D3DADAPTER_IDENTIFIER9{};
        std::snprintf(id->Driver, sizeof id->Driver, "%s", "oskel-d3d-gl");
        std::snprintf(id->Description, sizeof id->Description, "%s", "Direct3D over OpenGL");
        std::snprintf(id->DeviceName, sizeof id->DeviceName, "%s", "DISPLAY1");
        id->DriverVersion.HighPart = (1 << 16) | 0;
        id->DriverVersion.LowPart = (0u << 16) | 1u;
        id->VendorId = m_core->vendorId();
        return call.done(D3D_OK);
    }

    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format,
                                       BOOL windowed, D3DMULTISAMPLE_TYPE samples,
                                       DWORD* qualityLevels) override {
        CCall call("CheckDeviceMultiSampleType",
                   {adapter, type, format, static_cast<uint32_t>(windowed), samples});
        if (qualityLevels) *qualityLevels = 0;
        if (call.forced()) return call.result();
        if (adapter != D3DADAPTER_DEFAULT) return call.done(D3DERR_INVALIDCALL);
        return call.done(m_core->checkMultiSample(type, format, samples, qualityLevels));
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behavior,
                         D3DPRESENT_PARAMETERS* pp, IDirect3DDevice9** device) override {
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
            *device = faceOf<CDevice9>(core);
        }
        return call.done(result);
    }
};

HRESULT CDevice9::GetDirect3D(IDirect3D9** direct3D) {
    CCall call("GetDirect3D");
    if (direct3D) *direct3D = nullptr;
    if (call.forced()) return call.result();
    if (!direct3D) return call.done(D3DERR_INVALIDCALL);
    m_core->adapter()->addRef();
    *direct3D = faceOf<CDirect3D9>(m_core->adapter());
    return call.done(D3D_OK);
}

}  // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    CCall call("Direct3DCreate9", {sdkVersion});
    if (call.forced() || sdkVersion != D3D_SDK_VERSION) {
        if (!call.forced()) call.done(D3DERR_INVALIDCALL);
        return nullptr;
    }
    auto* core = new CCoreAdapter();
    call.done(D3D_OK);
    return faceOf<CDirect3D9>(core);
}

}  // namespace oskel::d3d
