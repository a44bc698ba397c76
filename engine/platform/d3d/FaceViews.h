#pragma once

// What the Direct3D 8 and 9 faces share of their views over the device core: the face object of
// a core object, and the surface and texture views, each call recorded and open to forced
// results through the test control. A face's traits type names its interfaces:
//   Surface, Texture      the face's surface and texture interfaces;
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

// Direct3D fills in what it chose.
template <class PresentParameters>
void writeBack(const SPresentSetup& s, PresentParameters& pp) {
    pp.BackBufferWidth = s.width;
    pp.BackBufferHeight = s.height;
    pp.BackBufferFormat = s.backBufferFormat;
    pp.BackBufferCount = s.backBufferCount;
}

}  // namespace oskel::d3d
