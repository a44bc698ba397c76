#include <algorithm>
#include <cstring>

#include "engine/core/CLogger.h"
#include "engine/platform/Window.h"
#include "engine/platform/d3d/D3DCore.h"

namespace oskel::d3d {

namespace {

// The display mode a full-screen device set, while it holds it.
bool g_modeSet = false;
D3DDISPLAYMODE g_setMode{};

D3DDISPLAYMODE desktopMode() {
    const platform::SVideoMode mode = platform::getDesktopMode();
    D3DDISPLAYMODE m{};
    m.Width = static_cast<UINT>(std::max(0, mode.width));
    m.Height = static_cast<UINT>(std::max(0, mode.height));
    m.RefreshRate = 60;
    m.Format = mode.bits == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
    return m;
}

// What every device reports before the OpenGL context's limits are known, and in recording
// mode.
D3DCAPS_COMMON baseCaps() {
    D3DCAPS_COMMON c{};
    c.DeviceType = D3DDEVTYPE_HAL;
    c.AdapterOrdinal = 0;
    c.Caps = 0;
    c.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_DRAWPRIMITIVES2;
    c.PrimitiveMiscCaps = D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_CULLNONE |
                          D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_BLENDOP;
    c.RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE |
                   D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_SCISSORTEST;
    c.ZCmpCaps = 0xFF;
    c.AlphaCmpCaps = 0xFF;
    c.SrcBlendCaps = 0x7FF;
    c.DestBlendCaps = 0x7FF;
    c.ShadeCaps =
        D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB | D3DPSHADECAPS_FOGGOURAUD;
    c.TextureCaps = D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_ALPHA;
    c.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                          D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR |
                          D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    c.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR |
                           D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_BORDER;
    c.StencilCaps = D3DSTENCILCAPS_KEEP | D3DSTENCILCAPS_ZERO | D3DSTENCILCAPS_REPLACE |
                    D3DSTENCILCAPS_INCRSAT | D3DSTENCILCAPS_DECRSAT | D3DSTENCILCAPS_INVERT |
                    D3DSTENCILCAPS_INCR | D3DSTENCILCAPS_DECR;
    c.VertexProcessingCaps = D3DVTXPCAPS_TEXGEN | D3DVTXPCAPS_MATERIALSOURCE7 |
                             D3DVTXPCAPS_DIRECTIONALLIGHTS | D3DVTXPCAPS_POSITIONALLIGHTS |
                             D3DVTXPCAPS_LOCALVIEWER;
    c.MaxTextureWidth = 4096;
    c.MaxTextureHeight = 4096;
    c.MaxAnisotropy = 16;
    c.TextureFilterCaps |= D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC;
    c.RasterCaps |= D3DPRASTERCAPS_ANISOTROPY;
    c.MaxTextureBlendStages = 8;
    c.MaxSimultaneousTextures = 8;
    c.MaxActiveLights = 8;
    c.MaxUserClipPlanes = 6;
    // As the OpenGL driver.
    c.MaxPrimitiveCount = 65535;
    c.MaxVertexIndex = 0xFFFFFF;
    c.MaxStreams = 1;
    c.MaxPointSize = 64.0f;
    c.VertexShaderVersion = 0;
    c.MaxVertexShaderConst = 0;
    c.PixelShaderVersion = 0;
    c.NumSimultaneousRTs = 1;
    return c;
}

uint32_t countBits(DWORD v) {
    uint32_t n = 0;
    for (; v; v &= v - 1) ++n;
    return n;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The adapter

CCoreAdapter::CCoreAdapter() = default;

CCoreAdapter::~CCoreAdapter() {
    if (m_videoStarted) platform::stopVideo();
}

uint32_t CCoreAdapter::addRef() { return ++m_refs; }

uint32_t CCoreAdapter::release() {
    if (m_refs == 0) return 0;
    const uint32_t left = --m_refs;
    if (left == 0) delete this;
    return left;
}

D3DDISPLAYMODE CCoreAdapter::displayMode() const {
    if (control::recordingMode()) return control::recordingDisplayMode();
    if (g_modeSet) return g_setMode;
    if (!m_videoStarted) {
        // The display is asked for through the window system, which starts on first use.
        auto* self = const_cast<CCoreAdapter*>(this);
        self->m_videoStarted = platform::startVideo();
        if (!m_videoStarted) return D3DDISPLAYMODE{};
    }
    return desktopMode();
}

HRESULT CCoreAdapter::checkDeviceFormat(D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                        D3DRESOURCETYPE resourceType, D3DFORMAT format) const {
    if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    if (adapterFormat != D3DFMT_X8R8G8B8 && adapterFormat != D3DFMT_R5G6B5 &&
        adapterFormat != D3DFMT_X1R5G5B5)
        return D3DERR_NOTAVAILABLE;
    if (resourceType != D3DRTYPE_SURFACE && resourceType != D3DRTYPE_TEXTURE)
        return D3DERR_NOTAVAILABLE;
    if (control::formatRefused(format)) return D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_DEPTHSTENCIL) return isDepthFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
    return isColorFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT CCoreAdapter::checkMultiSample(D3DDEVTYPE type, D3DFORMAT format, uint32_t samples,
                                       DWORD* qualityLevels) const {
    if (qualityLevels) *qualityLevels = 0;
    if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    if (!isColorFormat(format) && !isDepthFormat(format)) return D3DERR_NOTAVAILABLE;
    if (samples == 1 || samples > 16) return D3DERR_INVALIDCALL;
    if (samples >= 2) {
        D3DCAPS_COMMON caps;
        uint32_t maxSamples = 4;
        control::lastGLCaps(caps, maxSamples);
        if (control::recordingMode()) maxSamples = 16;
        if (samples > maxSamples || control::multiSampleRefused(samples))
            return D3DERR_NOTAVAILABLE;
    }
    if (qualityLevels) *qualityLevels = 1;
    return D3D_OK;
}

HRESULT CCoreAdapter::checkDepthStencilMatch(D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                             D3DFORMAT renderTarget, D3DFORMAT depthStencil) const {
    if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    if (!isBackBufferFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
    if (!isColorFormat(renderTarget) || !isDepthFormat(depthStencil)) return D3DERR_NOTAVAILABLE;
    if (control::formatRefused(depthStencil) || control::formatRefused(renderTarget))
        return D3DERR_NOTAVAILABLE;
    if (control::depthStencilMatchRefused(depthStencil)) return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

D3DCAPS_COMMON CCoreAdapter::caps() const {
    D3DCAPS_COMMON c = baseCaps();
    uint32_t maxSamples = 0;
    if (!control::recordingMode()) control::lastGLCaps(c, maxSamples);
    control::adjustCaps(c);
    return c;
}

DWORD CCoreAdapter::vendorId() const { return control::vendorId(); }

// ---------------------------------------------------------------------------------------------
// Creation and release

CCoreDevice::CCoreDevice(CCoreAdapter* adapter, bool recording)
    : m_adapter(adapter), m_recording(recording) {
    m_adapter->addRef();
    control::deviceCreated(this);
}

CCoreDevice::~CCoreDevice() {
    control::deviceDestroyed(this);
    if (!m_recording && m_context.exists()) {
        // Without its window the context is gone with everything in it.
        if (makeCurrent()) {
            m_gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
            GLuint fbos[] = {m_drawFbo, m_readFbo, m_resolveFbo, m_frontFbo};
            for (GLuint fbo : fbos)
                if (fbo) m_gl.DeleteFramebuffers(1, &fbo);
            for (GLuint sampler : m_samplers)
                if (sampler) m_gl.DeleteSamplers(1, &sampler);
            if (m_frontTexture) glDeleteTextures(1, &m_frontTexture);
            if (m_whiteTexture) glDeleteTextures(1, &m_whiteTexture);
            m_context.releaseCurrent();
        }
        m_context.destroy();
    }
    leaveDisplayMode();
    m_adapter->release();
}

HRESULT CCoreDevice::create(CCoreAdapter* adapter, D3DDEVTYPE type, HWND focusWindow,
                            DWORD behavior, SPresentSetup& setup, CCoreDevice** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    auto* d = new CCoreDevice(adapter, control::recordingMode());
    const HRESULT result = d->initialise(focusWindow, behavior, setup);
    if (FAILED(result)) {
        d->m_refs = 0;
        d->onReleased();
        return result;
    }
    *device = d;
    return D3D_OK;
}

uint32_t CCoreDevice::addRef() { return ++m_refs; }

uint32_t CCoreDevice::release() {
    if (m_refs == 0) return 0;
    const uint32_t left = --m_refs;
    if (left == 0) onReleased();
    return left;
}

void CCoreDevice::removeChild() {
    if (m_children > 0) --m_children;
    if (m_released && m_children == 0) delete this;
}

void CCoreDevice::onReleased() {
    // What the device holds goes; the device itself stays until the last resource made on it.
    for (CCoreTexture*& texture : m_textures) {
        CCoreTexture* t = texture;
        texture = nullptr;
        if (t) t->unhold();
    }
    releaseSwapChain();
    leaveDisplayMode();
    m_released = true;
    if (m_children == 0) delete this;
}

D3DDISPLAYMODE CCoreDevice::displayMode() const { return m_adapter->displayMode(); }

HRESULT CCoreDevice::initialise(HWND focusWindow, DWORD behavior, SPresentSetup& setup) {
    const DWORD processing =
        behavior & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                    D3DCREATE_MIXED_VERTEXPROCESSING);
    if (countBits(processing) != 1) return D3DERR_INVALIDCALL;
    if (control::vertexProcessingRefused(processing)) return D3DERR_NOTAVAILABLE;
    m_behavior = behavior;

    if (!setup.window) setup.window = focusWindow;
    m_windowHandle = setup.window;
    m_window = platform::CWindow::fromHandle(m_windowHandle);
    if (!m_recording && (!m_window || !m_window->exists())) {
        CLogger::instance().log("Direct3D device: no window to draw in.", LogError);
        return D3DERR_INVALIDCALL;
    }
    HRESULT result = validateSetup(setup);
    if (FAILED(result)) return result;

    if (!m_recording) {
        result = enterDisplayMode(setup);
        if (FAILED(result)) return result;
        const platform::CGLContext::EResult made = m_context.createOnWindow(*m_window);
        if (made != platform::CGLContext::Created) {
            CLogger::instance().logHint("Direct3D device: no OpenGL context on the window",
                                        m_context.error().c_str(), LogError);
            return D3DERR_NOTAVAILABLE;
        }
        std::string missing;
        if (!m_gl.load(missing)) {
            CLogger::instance().logHint("Direct3D device: OpenGL lacks", missing.c_str(), LogError);
            return D3DERR_NOTAVAILABLE;
        }
        m_limits.read();
        platform::keepFreedHeapForSoftwareRasteriser(
            reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
        if (!m_limits.textureEnvCombine) {
            CLogger::instance().log("Direct3D device: OpenGL lacks texture combiners.", LogError);
            return D3DERR_NOTAVAILABLE;
        }

        m_gl.GenFramebuffers(1, &m_drawFbo);
        m_gl.GenFramebuffers(1, &m_readFbo);
        m_gl.GenFramebuffers(1, &m_resolveFbo);
        m_gl.GenFramebuffers(1, &m_frontFbo);
        m_gl.GenSamplers(static_cast<GLsizei>(MaxStages), m_samplers);
        glGenTextures(1, &m_whiteTexture);
        glBindTexture(GL_TEXTURE_2D, m_whiteTexture);
        const GLubyte white[4] = {255, 255, 255, 255};
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glBindTexture(GL_TEXTURE_2D, 0);

        // Fixed parts of the mapping: Direct3D's clockwise triangles are OpenGL's
        // counter-clockwise ones once y is flipped into the surfaces' top-down rows; flat
        // shading takes the first vertex; point sprites count v from the top.
        glFrontFace(GL_CCW);
        if (m_gl.ProvokingVertex) m_gl.ProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
        if (m_gl.PointParameteri) m_gl.PointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (uint32_t unit = 0; unit < MaxStages; ++unit) m_gl.BindSampler(unit, m_samplers[unit]);
    }

    buildCaps();
    result = createSwapChain(setup);
    if (FAILED(result)) return result;
    startFromDefaults(setup);
    return D3D_OK;
}

void CCoreDevice::startFromDefaults(const SPresentSetup& setup) {
    setDefaultStates();
    applyAllStates();
    if (!m_recording)
        m_context.setSwapInterval(setup.interval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    m_setup = setup;
}

void CCoreDevice::buildCaps() {
    m_caps = baseCaps();
    if (!m_recording) {
        m_caps.MaxTextureWidth = m_caps.MaxTextureHeight =
            static_cast<DWORD>(m_limits.maxTextureSize);
        const DWORD units = static_cast<DWORD>(std::min<int>(m_limits.textureUnits, MaxStages));
        m_caps.MaxSimultaneousTextures = units;
        m_caps.MaxTextureBlendStages = units;
        m_caps.MaxActiveLights = static_cast<DWORD>(std::min<int>(m_limits.lights, MaxLights));
        m_caps.MaxUserClipPlanes =
            static_cast<DWORD>(std::min<int>(m_limits.clipPlanes, MaxClipPlanes));
        m_caps.MaxPointSize = m_limits.maxPointSize;
        m_caps.TextureFilterCaps &=
            ~(D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC);
        m_caps.RasterCaps &= ~D3DPRASTERCAPS_ANISOTROPY;
        m_caps.MaxAnisotropy = 1;
        if (m_limits.maxAnisotropy >= 1.0f) {
            m_caps.TextureFilterCaps |=
                D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC;
            m_caps.RasterCaps |= D3DPRASTERCAPS_ANISOTROPY;
            m_caps.MaxAnisotropy = static_cast<DWORD>(m_limits.maxAnisotropy);
        }
        control::rememberGLCaps(m_caps, static_cast<uint32_t>(std::max(0, m_limits.maxSamples)));
    }
    control::adjustCaps(m_caps);
    // The layer's own limits bound what the caps may claim.
    m_caps.MaxSimultaneousTextures = std::min<DWORD>(m_caps.MaxSimultaneousTextures, MaxStages);
    m_caps.MaxActiveLights = std::min<DWORD>(m_caps.MaxActiveLights, MaxLights);
    m_caps.MaxUserClipPlanes = std::min<DWORD>(m_caps.MaxUserClipPlanes, MaxClipPlanes);
}

HRESULT CCoreDevice::validateSetup(SPresentSetup& setup) const {
    if (setup.windowed) {
        if (setup.width == 0 || setup.height == 0) {
            int32_t w = 0, h = 0;
            platform::CWindow* window = platform::CWindow::fromHandle(setup.window);
            if (window && window->exists()) {
                window->getClientSize(w, h);
            } else {
                const D3DDISPLAYMODE mode = displayMode();
                w = static_cast<int32_t>(mode.Width);
                h = static_cast<int32_t>(mode.Height);
            }
            if (setup.width == 0) setup.width = static_cast<uint32_t>(std::max(1, w));
            if (setup.height == 0) setup.height = static_cast<uint32_t>(std::max(1, h));
        }
        if (setup.backBufferFormat == D3DFMT_UNKNOWN) setup.backBufferFormat = displayMode().Format;
    } else if (setup.width == 0 || setup.height == 0 || setup.backBufferFormat == D3DFMT_UNKNOWN) {
        return D3DERR_INVALIDCALL;
    }
    if (!isBackBufferFormat(setup.backBufferFormat)) return D3DERR_INVALIDCALL;
    if (control::formatRefused(setup.backBufferFormat)) return D3DERR_NOTAVAILABLE;
    if (setup.backBufferCount == 0) setup.backBufferCount = 1;
    if (setup.backBufferCount > 3) return D3DERR_INVALIDCALL;
    if (setup.swapEffect != D3DSWAPEFFECT_DISCARD && setup.swapEffect != D3DSWAPEFFECT_FLIP &&
        setup.swapEffect != D3DSWAPEFFECT_COPY)
        return D3DERR_INVALIDCALL;
    if (setup.samples != 0) {
        DWORD levels = 0;
        const HRESULT r = m_adapter->checkMultiSample(D3DDEVTYPE_HAL, setup.backBufferFormat,
                                                      setup.samples, &levels);
        if (FAILED(r)) return r;
        if (setup.swapEffect != D3DSWAPEFFECT_DISCARD || setup.sampleQuality >= levels)
            return D3DERR_INVALIDCALL;
    }
    if (setup.autoDepthStencil) {
        if (!isDepthFormat(setup.depthStencilFormat) ||
            control::formatRefused(setup.depthStencilFormat))
            return D3DERR_NOTAVAILABLE;
    }
    if (setup.interval != D3DPRESENT_INTERVAL_DEFAULT &&
        setup.interval != D3DPRESENT_INTERVAL_ONE &&
        setup.interval != D3DPRESENT_INTERVAL_IMMEDIATE)
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT CCoreDevice::enterDisplayMode(const SPresentSetup& setup) {
    if (m_recording || !m_window) return D3D_OK;
    if (setup.windowed) {
        leaveDisplayMode();
        return D3D_OK;
    }
    // Full screen at the back buffer's size: the desktop as it is when the sizes match, a mode
    // change otherwise.
    const D3DDISPLAYMODE desktop = desktopMode();
    const bool desktopSize = setup.width == desktop.Width && setup.height == desktop.Height;
    const int32_t bits = setup.backBufferFormat == D3DFMT_R5G6B5 ||
                                 setup.backBufferFormat == D3DFMT_X1R5G5B5 ||
                                 setup.backBufferFormat == D3DFMT_A1R5G5B5
                             ? 16
                             : 32;
    if (m_fullscreen) leaveDisplayMode();
    m_window->getClientSize(m_windowedWidth, m_windowedHeight);
    if (!m_window->setFullscreen(true, desktopSize, static_cast<int32_t>(setup.width),
                                 static_cast<int32_t>(setup.height), bits)) {
        CLogger::instance().logHint("Direct3D device: no full-screen mode",
                                    m_window->error().c_str(), LogWarning);
        return D3DERR_NOTAVAILABLE;
    }
    m_fullscreen = true;
    m_modeChanged = !desktopSize;
    if (m_modeChanged) {
        g_modeSet = true;
        g_setMode = D3DDISPLAYMODE{setup.width, setup.height, 60,
                                   bits == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8};
    }
    return D3D_OK;
}

void CCoreDevice::leaveDisplayMode() {
    if (!m_fullscreen) return;
    platform::CWindow* window = platform::CWindow::fromHandle(m_windowHandle);
    if (window && window->exists()) {
        window->setFullscreen(false, false, 0, 0, 0);
        // The window gets its size back at once, not only when the window system says so.
        if (m_windowedWidth > 0 && m_windowedHeight > 0)
            window->place(m_windowedWidth, m_windowedHeight, false);
    }
    if (m_modeChanged) g_modeSet = false;
    m_fullscreen = false;
    m_modeChanged = false;
}

// ---------------------------------------------------------------------------------------------
// The swap chain

HRESULT CCoreDevice::createSwapChain(SPresentSetup& setup) {
    const uint32_t glSamples =
        m_recording ? 0
                    : std::min<uint32_t>(setup.samples,
                                         static_cast<uint32_t>(std::max(0, m_limits.maxSamples)));
    m_backBuffer =
        new CCoreSurface(this, nullptr, 0, setup.backBufferFormat, setup.width, setup.height,
                         D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET, setup.samples, true);
    if (setup.autoDepthStencil)
        m_autoDepth =
            new CCoreSurface(this, nullptr, 0, setup.depthStencilFormat, setup.width, setup.height,
                             D3DPOOL_DEFAULT, D3DUSAGE_DEPTHSTENCIL, setup.samples, true);

    if (m_recording) {
        m_backBuffer->allocateMemory();
    } else {
        makeCurrent();
        const SFormatInfo* color = formatInfo(setup.backBufferFormat);
        const GLsizei w = static_cast<GLsizei>(setup.width), h = static_cast<GLsizei>(setup.height);
        // The back buffer and the picture resolved from it start black.
        std::vector<uint8_t> zero(static_cast<size_t>(color->bytes) * setup.width * setup.height,
                                  0);
        auto makeTexture = [&]() {
            GLuint texture = 0;
            glGenTextures(1, &texture);
            glBindTexture(GL_TEXTURE_2D, texture);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
            glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(color->internal), w, h, 0,
                         color->glFormat, color->glType, zero.data());
            glBindTexture(GL_TEXTURE_2D, 0);
            return texture;
        };
        if (glSamples >= 2) {
            GLuint rb = 0;
            m_gl.GenRenderbuffers(1, &rb);
            m_gl.BindRenderbuffer(GL_RENDERBUFFER, rb);
            m_gl.RenderbufferStorageMultisample(GL_RENDERBUFFER, static_cast<GLsizei>(glSamples),
                                                color->internal, w, h);
            m_backBuffer->setGLRenderbuffer(rb, makeTexture());
        } else {
            m_backBuffer->setGLTexture(makeTexture());
        }
        if (m_autoDepth) {
            const SFormatInfo* depth = formatInfo(setup.depthStencilFormat);
            GLuint rb = 0;
            m_gl.GenRenderbuffers(1, &rb);
            m_gl.BindRenderbuffer(GL_RENDERBUFFER, rb);
            while (glGetError() != GL_NO_ERROR) {
            }
            auto storage = [&](GLenum internal) {
                if (glSamples >= 2)
                    m_gl.RenderbufferStorageMultisample(
                        GL_RENDERBUFFER, static_cast<GLsizei>(glSamples), internal, w, h);
                else
                    m_gl.RenderbufferStorage(GL_RENDERBUFFER, internal, w, h);
            };
            storage(depth->internal);
            // A 32-bit depth buffer that OpenGL cannot make is made with 24 bits.
            if (glGetError() != GL_NO_ERROR && !depth->stencil) storage(GL_DEPTH_COMPONENT24);
            m_autoDepth->setGLRenderbuffer(rb, 0);
        }
        m_gl.BindRenderbuffer(GL_RENDERBUFFER, 0);
    }

    m_renderTarget = m_backBuffer;
    m_renderTarget->hold();
    m_depthStencil = m_autoDepth;
    if (m_depthStencil) m_depthStencil->hold();
    m_dirtyFramebuffer = true;
    m_hasFront = false;

    if (!m_recording) {
        updateFramebuffer();
        const GLenum status = m_gl.CheckFramebufferStatus(GL_FRAMEBUFFER);
        if (status != GL_FRAMEBUFFER_COMPLETE) {
            CLogger::instance().log(
                "Direct3D device: OpenGL cannot draw into the back buffer's formats.", LogError);
            return D3DERR_NOTAVAILABLE;
        }
    }
    return D3D_OK;
}

void CCoreDevice::releaseSwapChain() {
    if (m_renderTarget) m_renderTarget->unhold();
    if (m_depthStencil) m_depthStencil->unhold();
    m_renderTarget = nullptr;
    m_depthStencil = nullptr;
    CCoreSurface* back = m_backBuffer;
    CCoreSurface* depth = m_autoDepth;
    m_backBuffer = nullptr;
    m_autoDepth = nullptr;
    if (back) back->orphan();
    if (depth) depth->orphan();
    m_dirtyFramebuffer = true;
}

// ---------------------------------------------------------------------------------------------
// Loss and reset

void CCoreDevice::lose(uint32_t lostTests) {
    m_lost = true;
    m_lostTestsLeft = lostTests;
}

HRESULT CCoreDevice::testCooperativeLevel() {
    if (!m_lost) return D3D_OK;
    if (m_lostTestsLeft > 0) {
        --m_lostTestsLeft;
        return D3DERR_DEVICELOST;
    }
    return D3DERR_DEVICENOTRESET;
}

HRESULT CCoreDevice::reset(SPresentSetup& setup) {
    if (m_lost && m_lostTestsLeft > 0) return D3DERR_DEVICELOST;
    // As Direct3D: every default-pool resource and every reference to the swap chain's surfaces
    // must be gone first.
    if (m_defaultResources > 0) return D3DERR_INVALIDCALL;
    if ((m_backBuffer && m_backBuffer->externalRefs() > 0) ||
        (m_autoDepth && m_autoDepth->externalRefs() > 0))
        return D3DERR_INVALIDCALL;
    if (!setup.window) setup.window = m_windowHandle;
    if (setup.window != m_windowHandle) {
        platform::CWindow* window = platform::CWindow::fromHandle(setup.window);
        if (!m_recording && (!window || !window->exists())) return D3DERR_INVALIDCALL;
    }
    HRESULT result = validateSetup(setup);
    if (FAILED(result)) return result;

    if (!m_recording) {
        if (!makeCurrent()) return D3DERR_DRIVERINTERNALERROR;
        if (setup.windowed != m_setup.windowed || setup.width != m_setup.width ||
            setup.height != m_setup.height || setup.backBufferFormat != m_setup.backBufferFormat) {
            result = enterDisplayMode(setup);
            if (FAILED(result)) return result;
        }
    }
    for (CCoreTexture*& texture : m_textures) {
        CCoreTexture* t = texture;
        texture = nullptr;
        if (t) t->unhold();
    }
    releaseSwapChain();
    result = createSwapChain(setup);
    if (FAILED(result)) return result;
    m_inScene = false;
    m_lost = false;
    m_lostTestsLeft = 0;
    // As Direct3D: a reset device starts from every state's default.
    startFromDefaults(setup);
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// OpenGL helpers

bool CCoreDevice::makeCurrent() {
    if (m_recording || !m_context.exists()) return false;
    if (m_context.isCurrent()) return true;
    return m_context.makeCurrent();
}

void CCoreDevice::deleteGLTexture(GLuint name) {
    if (name && makeCurrent()) glDeleteTextures(1, &name);
    m_dirtyStages = true;
}

void CCoreDevice::deleteGLRenderbuffer(GLuint name) {
    if (name && makeCurrent()) m_gl.DeleteRenderbuffers(1, &name);
}

void CCoreDevice::restoreDrawFramebuffer() {
    m_gl.BindFramebuffer(GL_FRAMEBUFFER, m_drawFbo);
    if (m_renderStates[D3DRS_SCISSORTESTENABLE])
        glEnable(GL_SCISSOR_TEST);
    else
        glDisable(GL_SCISSOR_TEST);
    const DWORD mask = m_renderStates[D3DRS_COLORWRITEENABLE];
    glColorMask((mask & D3DCOLORWRITEENABLE_RED) != 0, (mask & D3DCOLORWRITEENABLE_GREEN) != 0,
                (mask & D3DCOLORWRITEENABLE_BLUE) != 0, (mask & D3DCOLORWRITEENABLE_ALPHA) != 0);
}

bool CCoreDevice::bindForReading(CCoreSurface* surface) {
    if (!surface || !makeCurrent()) return false;
    glDisable(GL_SCISSOR_TEST);
    const GLsizei w = static_cast<GLsizei>(surface->width()),
                  h = static_cast<GLsizei>(surface->height());
    switch (surface->storage()) {
        case CCoreSurface::Storage::TextureLevel:
            m_gl.BindFramebuffer(GL_READ_FRAMEBUFFER, m_readFbo);
            m_gl.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                      surface->container()->glName(),
                                      static_cast<GLint>(surface->level()));
            break;
        case CCoreSurface::Storage::Texture:
            m_gl.BindFramebuffer(GL_READ_FRAMEBUFFER, m_readFbo);
            m_gl.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                      surface->glName(), 0);
            break;
        case CCoreSurface::Storage::Renderbuffer: {
            if (!surface->glResolve()) return false;
            // A multisample picture is resolved into its single-sample texture first.
            m_gl.BindFramebuffer(GL_READ_FRAMEBUFFER, m_readFbo);
            m_gl.FramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                         surface->glName());
            m_gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, m_resolveFbo);
            m_gl.FramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                      surface->glResolve(), 0);
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            m_gl.BlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
            m_gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, m_drawFbo);
            m_gl.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                      surface->glResolve(), 0);
            break;
        }
        case CCoreSurface::Storage::Memory:
            return false;
    }
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return true;
}

bool CCoreDevice::readBackBuffer(std::vector<uint32_t>& argb, uint32_t& width, uint32_t& height) {
    if (m_recording || !m_backBuffer || !bindForReading(m_backBuffer)) return false;
    width = m_backBuffer->width();
    height = m_backBuffer->height();
    argb.assign(static_cast<size_t>(width) * height, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA,
                 GL_UNSIGNED_BYTE, argb.data());
    restoreDrawFramebuffer();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Presentation

HRESULT CCoreDevice::present(const RECT* source, const RECT* dest, HWND window) {
    if (m_lost) return D3DERR_DEVICELOST;
    if (dest) {
        logOnce("Direct3D layer: presenting into a destination rectangle is not supported.");
        return D3DERR_INVALIDCALL;
    }
    if (window && window != m_windowHandle) {
        logOnce("Direct3D layer: presenting into another window is not supported.");
        return D3DERR_INVALIDCALL;
    }
    const uint32_t bw = m_backBuffer->width(), bh = m_backBuffer->height();
    RECT src{0, 0, static_cast<LONG>(bw), static_cast<LONG>(bh)};
    if (source) {
        src.left = std::max<LONG>(0, source->left);
        src.top = std::max<LONG>(0, source->top);
        src.right = std::min<LONG>(static_cast<LONG>(bw), source->right);
        src.bottom = std::min<LONG>(static_cast<LONG>(bh), source->bottom);
        if (src.left >= src.right || src.top >= src.bottom) return D3DERR_INVALIDCALL;
    }

    if (m_recording) {
        m_frontMemory = m_backBuffer->memory();
        m_frontWidth = bw;
        m_frontHeight = bh;
        m_hasFront = true;
        return D3D_OK;
    }

    if (!bindForReading(m_backBuffer)) return D3DERR_DRIVERINTERNALERROR;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    // Keep the frame as the front buffer's picture.
    const GLsizei fw = src.right - src.left, fh = src.bottom - src.top;
    if (!m_frontTexture || m_frontWidth != static_cast<uint32_t>(fw) ||
        m_frontHeight != static_cast<uint32_t>(fh)) {
        if (!m_frontTexture) glGenTextures(1, &m_frontTexture);
        glBindTexture(GL_TEXTURE_2D, m_frontTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, fw, fh, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        m_frontWidth = static_cast<uint32_t>(fw);
        m_frontHeight = static_cast<uint32_t>(fh);
    }
    m_gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, m_frontFbo);
    m_gl.FramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                              m_frontTexture, 0);
    m_gl.BlitFramebuffer(src.left, src.top, src.right, src.bottom, 0, 0, fw, fh,
                         GL_COLOR_BUFFER_BIT, GL_NEAREST);
    m_hasFront = true;

    // To the window: the whole client area, rows flipped back to the window's bottom-up order.
    int32_t cw = static_cast<int32_t>(bw), ch = static_cast<int32_t>(bh);
    platform::CWindow* target = platform::CWindow::fromHandle(m_windowHandle);
    if (target) target->getClientSize(cw, ch);
    m_gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    const bool sameSize = cw == fw && ch == fh;
    m_gl.BlitFramebuffer(src.left, src.top, src.right, src.bottom, 0, ch, cw, 0,
                         GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
    m_context.swapBuffers();
    restoreDrawFramebuffer();
    return D3D_OK;
}

HRESULT CCoreDevice::getFrontBufferData(CCoreSurface* dest) {
    if (!dest || dest->format() != D3DFMT_A8R8G8B8 || !dest->hasMemory() || dest->locked() ||
        (dest->pool() != D3DPOOL_SYSTEMMEM && dest->pool() != D3DPOOL_SCRATCH))
        return D3DERR_INVALIDCALL;
    const D3DDISPLAYMODE mode = displayMode();
    if (dest->width() != mode.Width || dest->height() != mode.Height) return D3DERR_INVALIDCALL;
    if (m_lost) return D3DERR_DEVICELOST;

    // The desktop: black, with the last presented frame at its top-left.
    auto* pixels = reinterpret_cast<uint32_t*>(dest->memory().data());
    std::fill(pixels, pixels + static_cast<size_t>(mode.Width) * mode.Height, 0xFF000000u);
    if (!m_hasFront) return D3D_OK;
    std::vector<uint32_t> frame(static_cast<size_t>(m_frontWidth) * m_frontHeight, 0xFF000000u);
    if (m_recording) {
        const SFormatInfo* info =
            formatInfo(m_backBuffer ? m_backBuffer->format() : D3DFMT_UNKNOWN);
        if (info && info->bytes == 4 && m_frontMemory.size() == frame.size() * 4)
            std::memcpy(frame.data(), m_frontMemory.data(), m_frontMemory.size());
    } else {
        if (!makeCurrent()) return D3DERR_DRIVERINTERNALERROR;
        glDisable(GL_SCISSOR_TEST);
        m_gl.BindFramebuffer(GL_READ_FRAMEBUFFER, m_readFbo);
        m_gl.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                  m_frontTexture, 0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glReadPixels(0, 0, static_cast<GLsizei>(m_frontWidth), static_cast<GLsizei>(m_frontHeight),
                     GL_BGRA, GL_UNSIGNED_BYTE, frame.data());
        restoreDrawFramebuffer();
    }
    const uint32_t w = std::min(m_frontWidth, mode.Width), h = std::min(m_frontHeight, mode.Height);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            pixels[static_cast<size_t>(y) * mode.Width + x] =
                frame[static_cast<size_t>(y) * m_frontWidth + x] | 0xFF000000u;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Targets and resources

HRESULT CCoreDevice::setRenderTarget(uint32_t index, CCoreSurface* surface) {
    if (index >= m_caps.NumSimultaneousRTs) return D3DERR_INVALIDCALL;
    if (!surface || !surface->isRenderTarget() || surface->device() != this)
        return D3DERR_INVALIDCALL;
    surface->hold();
    if (m_renderTarget) m_renderTarget->unhold();
    m_renderTarget = surface;
    m_dirtyFramebuffer = true;
    // As Direct3D: the viewport and the scissor rectangle cover the new target.
    m_viewport = D3DVIEWPORT{0, 0, surface->width(), surface->height(), 0.0f, 1.0f};
    m_scissor =
        RECT{0, 0, static_cast<LONG>(surface->width()), static_cast<LONG>(surface->height())};
    m_dirtyViewport = true;
    if (makeCurrent())
        glScissor(0, 0, static_cast<GLsizei>(surface->width()),
                  static_cast<GLsizei>(surface->height()));
    return D3D_OK;
}

HRESULT CCoreDevice::setDepthStencil(CCoreSurface* surface) {
    if (surface && (!surface->isDepthStencil() || surface->device() != this))
        return D3DERR_INVALIDCALL;
    if (surface) surface->hold();
    if (m_depthStencil) m_depthStencil->unhold();
    m_depthStencil = surface;
    m_dirtyFramebuffer = true;
    return D3D_OK;
}

HRESULT CCoreDevice::getRenderTargetData(CCoreSurface* source, CCoreSurface* dest) {
    if (!source || !dest || !source->isRenderTarget() || source->device() != this ||
        dest->device() != this)
        return D3DERR_INVALIDCALL;
    if (dest->pool() != D3DPOOL_SYSTEMMEM || !dest->hasMemory() || dest->locked())
        return D3DERR_INVALIDCALL;
    if (dest->format() != source->format() || dest->width() != source->width() ||
        dest->height() != source->height())
        return D3DERR_INVALIDCALL;
    if (m_lost) return D3DERR_DEVICELOST;
    return copyRects(source, nullptr, 0, dest, nullptr);
}

HRESULT CCoreDevice::copyRects(CCoreSurface* source, const RECT* rects, uint32_t count,
                               CCoreSurface* dest, const POINT* points) {
    if (!source || !dest || source == dest || source->device() != this || dest->device() != this)
        return D3DERR_INVALIDCALL;
    if (!dest->hasMemory() || dest->locked() || source->locked() ||
        dest->format() != source->format())
        return D3DERR_INVALIDCALL;
    const SFormatInfo* info = formatInfo(source->format());
    if (!info || info->depth) return D3DERR_INVALIDCALL;
    const RECT whole{0, 0, static_cast<LONG>(source->width()), static_cast<LONG>(source->height())};
    const uint32_t n = rects ? count : 1;
    // Every rectangle must lie within both surfaces before anything is copied.
    for (uint32_t i = 0; i < n; ++i) {
        const RECT& r = rects ? rects[i] : whole;
        const POINT at = points ? points[i] : POINT{r.left, r.top};
        if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom ||
            r.right > static_cast<LONG>(source->width()) ||
            r.bottom > static_cast<LONG>(source->height()) || at.x < 0 || at.y < 0 ||
            at.x + (r.right - r.left) > static_cast<LONG>(dest->width()) ||
            at.y + (r.bottom - r.top) > static_cast<LONG>(dest->height()))
            return D3DERR_INVALIDCALL;
    }
    const bool fromGL = !source->hasMemory();
    if (fromGL && !m_recording && !bindForReading(source)) return D3DERR_DRIVERINTERNALERROR;
    for (uint32_t i = 0; i < n; ++i) {
        const RECT& r = rects ? rects[i] : whole;
        const POINT at = points ? points[i] : POINT{r.left, r.top};
        const size_t rowBytes = static_cast<size_t>(r.right - r.left) * info->bytes;
        uint8_t* to = dest->memory().data() + static_cast<size_t>(at.y) * dest->pitch() +
                      static_cast<size_t>(at.x) * info->bytes;
        if (fromGL && m_recording) {
            // A windowless device draws nothing: its render targets read as zero.
            for (LONG y = r.top; y < r.bottom; ++y, to += dest->pitch())
                std::memset(to, 0, rowBytes);
        } else if (fromGL) {
            // The rows of the surfaces run from the top, as OpenGL's rows of the frame buffer here.
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glPixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(dest->width()));
            glReadPixels(r.left, r.top, r.right - r.left, r.bottom - r.top, info->glFormat,
                         info->glType, to);
        } else {
            const uint8_t* from = source->memory().data() +
                                  static_cast<size_t>(r.top) * source->pitch() +
                                  static_cast<size_t>(r.left) * info->bytes;
            for (LONG y = r.top; y < r.bottom; ++y, from += source->pitch(), to += dest->pitch())
                std::memmove(to, from, rowBytes);
        }
    }
    if (fromGL && !m_recording) {
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        restoreDrawFramebuffer();
    }
    return D3D_OK;
}

HRESULT CCoreDevice::createTexture(uint32_t width, uint32_t height, uint32_t levels, DWORD usage,
                                   D3DFORMAT format, D3DPOOL pool, CCoreTexture** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (width == 0 || height == 0 || width > m_caps.MaxTextureWidth ||
        height > m_caps.MaxTextureHeight)
        return D3DERR_INVALIDCALL;
    if (usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC)) return D3DERR_INVALIDCALL;
    if (!isColorFormat(format) || control::formatRefused(format)) return D3DERR_NOTAVAILABLE;
    if (pool > D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_RENDERTARGET) && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    if (m_lost && pool == D3DPOOL_DEFAULT) return D3DERR_DEVICELOST;
    auto* made = new CCoreTexture(this, width, height, levels, usage, format, pool);
    if (made->glFailed()) {
        made->release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *texture = made;
    return D3D_OK;
}

HRESULT CCoreDevice::createOffscreenPlainSurface(uint32_t width, uint32_t height, D3DFORMAT format,
                                                 D3DPOOL pool, CCoreSurface** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (width == 0 || height == 0) return D3DERR_INVALIDCALL;
    if (!isColorFormat(format) || control::formatRefused(format)) return D3DERR_NOTAVAILABLE;
    if (pool != D3DPOOL_SYSTEMMEM && pool != D3DPOOL_SCRATCH) {
        logOnce("Direct3D layer: plain surfaces live in system memory or scratch only.");
        return D3DERR_INVALIDCALL;
    }
    auto* s = new CCoreSurface(this, nullptr, 0, format, width, height, pool, 0, 0, false);
    s->allocateMemory();
    *surface = s;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Frame

HRESULT CCoreDevice::beginScene() {
    if (m_inScene) return D3DERR_INVALIDCALL;
    m_inScene = true;
    return D3D_OK;
}

HRESULT CCoreDevice::endScene() {
    if (!m_inScene) return D3DERR_INVALIDCALL;
    m_inScene = false;
    if (!m_recording && makeCurrent()) glFlush();
    return D3D_OK;
}

HRESULT CCoreDevice::clear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float z,
                           DWORD stencil) {
    if (flags == 0 || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)))
        return D3DERR_INVALIDCALL;
    if (count > 0 && !rects) return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !m_depthStencil)
        return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_STENCIL) && !formatInfo(m_depthStencil->format())->stencil)
        return D3DERR_INVALIDCALL;
    if (m_lost || m_recording) return D3D_OK;
    if (!makeCurrent()) return D3DERR_DRIVERINTERNALERROR;
    updateFramebuffer();

    GLbitfield bits = 0;
    if (flags & D3DCLEAR_TARGET) {
        bits |= GL_COLOR_BUFFER_BIT;
        glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f,
                     (color & 0xFF) / 255.0f, ((color >> 24) & 0xFF) / 255.0f);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        bits |= GL_DEPTH_BUFFER_BIT;
        glClearDepth(std::min(1.0f, std::max(0.0f, z)));
        glDepthMask(GL_TRUE);
    }
    if ((flags & D3DCLEAR_STENCIL) && m_depthAttached) {
        bits |= GL_STENCIL_BUFFER_BIT;
        glClearStencil(static_cast<GLint>(stencil & 0xFF));
        glStencilMask(0xFF);
    }
    // The viewport bounds the clear, and the scissor rectangle when the scissor test is on; the
    // rectangles lie within them.
    RECT whole{static_cast<LONG>(m_viewport.X), static_cast<LONG>(m_viewport.Y),
               static_cast<LONG>(m_viewport.X + m_viewport.Width),
               static_cast<LONG>(m_viewport.Y + m_viewport.Height)};
    if (m_renderStates[D3DRS_SCISSORTESTENABLE]) {
        whole.left = std::max(whole.left, m_scissor.left);
        whole.top = std::max(whole.top, m_scissor.top);
        whole.right = std::min(whole.right, m_scissor.right);
        whole.bottom = std::min(whole.bottom, m_scissor.bottom);
    }
    glEnable(GL_SCISSOR_TEST);
    const DWORD n = count > 0 ? count : 1;
    for (DWORD i = 0; i < n; ++i) {
        RECT r = whole;
        if (count > 0) {
            r.left = std::max(r.left, rects[i].left);
            r.top = std::max(r.top, rects[i].top);
            r.right = std::min(r.right, rects[i].right);
            r.bottom = std::min(r.bottom, rects[i].bottom);
        }
        if (r.left >= r.right || r.top >= r.bottom) continue;
        glScissor(r.left, r.top, r.right - r.left, r.bottom - r.top);
        glClear(bits);
    }
    // Back to the states the device holds.
    glScissor(m_scissor.left, m_scissor.top, m_scissor.right - m_scissor.left,
              m_scissor.bottom - m_scissor.top);
    glDepthMask(m_renderStates[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    glStencilMask(m_renderStates[D3DRS_STENCILWRITEMASK]);
    restoreDrawFramebuffer();
    return D3D_OK;
}

}  // namespace oskel::d3d
