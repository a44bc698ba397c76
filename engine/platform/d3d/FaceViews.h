#pragma once

// What the Direct3D 8 and 9 faces share of their views over the device core: the face object of
// a core object, and the surface and texture views, each call recorded and open to forced
// results through the test control. A face's traits type names its interfaces:
//   Device, Surface, Texture  the face's device, surface and texture interfaces;
//   Adapter               the face's Direct3D interface;
//   Caps                  its capability record;
//   SurfaceDesc           its surface description;
//   kFace                 which face it is;
//   static void describe(SurfaceDesc&, const CCoreSurface&)  the fields only that face has.

#include <cstdint>

#include "engine/platform/d3d/D3DCore.h"

namespace oskel::d3d {

// The face object of a core object, made on first use.
template <class Face, EFace kFace, class Core>
Face* faceViewOf(Core* core) {
    if (!core) return nullptr;
    if (CFaceView* view = core->face(kFace)) return static_cast<Face*>(view);
    auto* face = new Face(core);
    core->setFace(kFace, face);
    return face;
}

inline uint64_t objectArg(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// The core object behind a face's view (none for none).
template <class View, class Interface>
auto coreOfView(Interface* view) {
    return view ? static_cast<View*>(view)->core() : nullptr;
}

// The fields of a surface description both faces have, for a surface sampled so many times.
template <class SurfaceDesc>
void describeSurface(SurfaceDesc& desc, const CCoreSurface& surface, D3DMULTISAMPLE_TYPE samples) {
    desc.Format = surface.format();
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = surface.usage();
    desc.Pool = surface.pool();
    desc.MultiSampleType = samples;
    desc.Width = surface.width();
    desc.Height = surface.height();
}

template <class Traits>
class TSurfaceView : public Traits::Surface, public CFaceView {
public:
    explicit TSurfaceView(CCoreSurface* core) : m_core(core) {}
    CCoreSurface* core() const { return m_core; }

    ULONG AddRef() override { return m_core->addRef(); }
    ULONG Release() override { return m_core->release(); }

    HRESULT GetDesc(typename Traits::SurfaceDesc* desc) override {
        CCall call("GetDesc", {objectArg(this)});
        if (call.forced()) return call.result();
        if (!desc) return call.done(D3DERR_INVALIDCALL);
        describeSurface(*desc, *m_core, static_cast<D3DMULTISAMPLE_TYPE>(m_core->samples()));
        Traits::describe(*desc, *m_core);
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

// SurfaceFace: the face's surface view class, made for the levels handed out.
template <class Traits, class SurfaceFace>
class TTextureView : public Traits::Texture, public CFaceView {
public:
    explicit TTextureView(CCoreTexture* core) : m_core(core) {}
    CCoreTexture* core() const { return m_core; }

    ULONG AddRef() override { return m_core->addRef(); }
    ULONG Release() override { return m_core->release(); }

    DWORD GetLevelCount() override { return m_core->levelCount(); }

    HRESULT GetLevelDesc(UINT level, typename Traits::SurfaceDesc* desc) override {
        CCall call("GetLevelDesc", {objectArg(this), level});
        if (call.forced()) return call.result();
        CCoreSurface* surface = m_core->level(level);
        if (!surface || !desc) return call.done(D3DERR_INVALIDCALL);
        describeSurface(*desc, *surface, D3DMULTISAMPLE_NONE);
        Traits::describe(*desc, *surface);
        return call.done(D3D_OK);
    }

    HRESULT GetSurfaceLevel(UINT level, typename Traits::Surface** surface) override {
        CCall call("GetSurfaceLevel", {objectArg(this), level});
        if (surface) *surface = nullptr;
        if (call.forced()) return call.result();
        CCoreSurface* s = m_core->level(level);
        if (!s || !surface) return call.done(D3DERR_INVALIDCALL);
        s->addRef();
        *surface = faceViewOf<SurfaceFace, Traits::kFace>(s);
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

// The device view: the calls both faces make alike. TextureFace and SurfaceFace are the face's
// texture and surface views; Traits (see above) also names Caps, the face's capability record.
template <class Traits, class TextureFace, class SurfaceFace>
class TDeviceView : public Traits::Device, public CFaceView {
public:
    explicit TDeviceView(CCoreDevice* core) : m_core(core) {}

    ULONG AddRef() override { return m_core->addRef(); }

    ULONG Release() override { return m_core->release(); }

    HRESULT TestCooperativeLevel() override {
        CCall call("TestCooperativeLevel");
        if (call.forced()) return call.result();
        return call.done(m_core->testCooperativeLevel());
    }

    HRESULT GetDeviceCaps(typename Traits::Caps* caps) override {
        CCall call("GetDeviceCaps");
        if (call.forced()) return call.result();
        if (!caps) return call.done(D3DERR_INVALIDCALL);
        *caps = typename Traits::Caps{};
        static_cast<D3DCAPS_COMMON&>(*caps) = m_core->caps();
        return call.done(D3D_OK);
    }

    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND window,
                    const void* dirty) override {
        CCall call("Present");
        call.rect(sourceRect).rect(destRect).ptr(window).ptr(dirty);
        if (call.forced()) return call.result();
        return call.done(m_core->present(sourceRect, destRect, window));
    }

    HRESULT GetDepthStencilSurface(typename Traits::Surface** surface) override {
        CCall call("GetDepthStencilSurface");
        if (surface) *surface = nullptr;
        if (call.forced()) return call.result();
        if (!surface) return call.done(D3DERR_INVALIDCALL);
        CCoreSurface* s = m_core->depthStencil();
        if (!s) return call.done(D3DERR_NOTFOUND);
        s->addRef();
        *surface = faceViewOf<SurfaceFace, Traits::kFace>(s);
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

    HRESULT SetViewport(const D3DVIEWPORT* viewport) override {
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

    HRESULT GetViewport(D3DVIEWPORT* viewport) override {
        CCall call("GetViewport");
        if (call.forced()) return call.result();
        return call.done(m_core->getViewport(viewport));
    }

    HRESULT SetMaterial(const D3DMATERIAL* material) override {
        CCall call("SetMaterial");
        if (material) call.floats(&material->Diffuse.r, 17);
        if (call.forced()) return call.result();
        return call.done(m_core->setMaterial(material));
    }

    HRESULT GetMaterial(D3DMATERIAL* material) override {
        CCall call("GetMaterial");
        if (call.forced()) return call.result();
        return call.done(m_core->getMaterial(material));
    }

    HRESULT SetLight(DWORD index, const D3DLIGHT* light) override {
        CCall call("SetLight", {index});
        if (light) call.arg(light->Type).floats(&light->Diffuse.r, 25);
        if (call.forced()) return call.result();
        return call.done(m_core->setLight(index, light));
    }

    HRESULT GetLight(DWORD index, D3DLIGHT* light) override {
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

    HRESULT SetTexture(DWORD stage, typename Traits::Texture* texture) override {
        CCall call("SetTexture", {stage, objectArg(texture)});
        if (call.forced()) return call.result();
        return call.done(m_core->setTexture(stage, coreOfView<TextureFace>(texture)));
    }

    HRESULT GetTexture(DWORD stage, typename Traits::Texture** texture) override {
        CCall call("GetTexture", {stage});
        if (texture) *texture = nullptr;
        if (call.forced()) return call.result();
        if (!texture || stage >= CCoreDevice::MaxStages) return call.done(D3DERR_INVALIDCALL);
        if (CCoreTexture* t = m_core->texture(stage)) {
            t->addRef();
            *texture = faceViewOf<TextureFace, Traits::kFace>(t);
        }
        return call.done(D3D_OK);
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

protected:
    CCoreDevice* m_core;
};

// The adapter view (the Direct3D object): the calls both faces make alike. Traits also names
// Adapter, the face's Direct3D interface.
template <class Traits>
class TAdapterView : public Traits::Adapter, public CFaceView {
public:
    explicit TAdapterView(CCoreAdapter* core) : m_core(core) {}

    ULONG AddRef() override { return m_core->addRef(); }

    ULONG Release() override { return m_core->release(); }

    UINT GetAdapterCount() override { return 1; }

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

    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTarget, D3DFORMAT depthStencil) override {
        CCall call("CheckDepthStencilMatch",
                   {adapter, type, adapterFormat, renderTarget, depthStencil});
        if (call.forced()) return call.result();
        if (adapter != D3DADAPTER_DEFAULT) return call.done(D3DERR_INVALIDCALL);
        return call.done(
            m_core->checkDepthStencilMatch(type, adapterFormat, renderTarget, depthStencil));
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, typename Traits::Caps* caps) override {
        CCall call("GetDeviceCaps", {adapter, type});
        if (call.forced()) return call.result();
        if (adapter != D3DADAPTER_DEFAULT || !caps) return call.done(D3DERR_INVALIDCALL);
        if (type != D3DDEVTYPE_HAL) return call.done(D3DERR_NOTAVAILABLE);
        *caps = typename Traits::Caps{};
        static_cast<D3DCAPS_COMMON&>(*caps) = m_core->caps();
        return call.done(D3D_OK);
    }

protected:
    CCoreAdapter* m_core;
};

// Direct3D fills in what it chose.
template <class PresentParameters>
void writeBack(const SPresentSetup& s, PresentParameters& pp) {
    pp.BackBufferWidth = s.width;
    pp.BackBufferHeight = s.height;
    pp.BackBufferFormat = s.backBufferFormat;
    pp.BackBufferCount = s.backBufferCount;
}

}  // namespace oskel::d3d
