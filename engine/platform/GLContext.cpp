#include "engine/platform/GLContext.h"

#include <algorithm>
#include <cstring>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <SDL.h>

#include "engine/platform/Window.h"

namespace oskel::platform {

bool SGLAttributes::operator==(const SGLAttributes& o) const {
    return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha &&
           depth == o.depth && stencil == o.stencil && doubleBuffer == o.doubleBuffer &&
           sampleBuffers == o.sampleBuffers && samples == o.samples;
}

namespace {

void setColorBits(SGLAttributes& a, uint32_t colorBits) {
    if (colorBits <= 16) {
        a.red = 5;
        a.green = 6;
        a.blue = 5;
    } else {
        a.red = a.green = a.blue = 8;
    }
}

}  // namespace

std::vector<SPixelFormatTry> listPixelFormatTries(const SPixelFormatRequest& request) {
    std::vector<SPixelFormatTry> tries;

    // Multisample formats first: 24 colour bits and 8 alpha bits for 32-bit colour, 15 and 1
    // otherwise, the depth the caller asked for.
    if (request.antiAlias > 1) {
        const uint32_t most = std::min<uint32_t>(request.antiAlias, 16);
        for (uint32_t samples = most; samples >= 2; --samples) {
            SGLAttributes a;
            if (request.colorBits == 32) {
                a.red = a.green = a.blue = 8;
                a.alpha = 8;
            } else {
                a.red = a.green = a.blue = 5;
                a.alpha = 1;
            }
            a.depth = static_cast<int>(request.depthBits);
            a.stencil = request.stencil ? 1 : 0;
            a.sampleBuffers = 1;
            a.samples = static_cast<int>(samples);
            tries.push_back({a, ""});
        }
    }

    // The plain formats; each change to the format stays for the tries after it.
    SGLAttributes plain;
    setColorBits(plain, request.colorBits);
    plain.depth = 24;
    plain.stencil = request.stencil ? 1 : 0;
    tries.push_back({plain, ""});
    if (request.stencil) {
        plain.stencil = 0;
        tries.push_back(
            {plain, "Cannot create a GL device with stencil buffer, disabling stencil shadows."});
    }
    plain.depth = 24;
    tries.push_back({plain, ""});
    if (request.colorBits != 16) {
        plain.depth = 16;
        tries.push_back({plain, ""});
    }
    return tries;
}

CGLContext::~CGLContext() { destroy(); }

CGLContext::EResult CGLContext::create(CWindow& window, const SGLAttributes& a) {
    destroy();
    if (!window.exists()) {
        m_error = "no window";
        return NoWindow;
    }
    // The attributes stay with the window system: later windows made elsewhere get the
    // defaults back whatever happens here.
    struct ResetAfter {
        ~ResetAfter() { SDL_GL_ResetAttributes(); }
    } resetAfter;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, a.red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, a.green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, a.blue);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, a.alpha);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, a.depth);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, a.stencil);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, a.doubleBuffer);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, a.sampleBuffers);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, a.samples);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    if (!window.recreate()) {
        m_error = window.error();
        return WindowFailed;
    }
    return makeOn(window);
}

CGLContext::EResult CGLContext::createOnWindow(CWindow& window) {
    destroy();
    if (!window.exists()) {
        m_error = "no window";
        return NoWindow;
    }
    struct ResetAfter {
        ~ResetAfter() { SDL_GL_ResetAttributes(); }
    } resetAfter;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    return makeOn(window);
}

CGLContext::EResult CGLContext::makeOn(CWindow& window) {
    SDL_Window* w = static_cast<SDL_Window*>(window.nativeHandle());
    SDL_GLContext context = SDL_GL_CreateContext(w);
    if (!context) {
        m_error = SDL_GetError();
        return ContextFailed;
    }
    // Making the context current is part of creating it; try again to tell a failure apart.
    if (SDL_GL_MakeCurrent(w, context) != 0) {
        m_error = SDL_GetError();
        SDL_GL_DeleteContext(context);
        return ActivateFailed;
    }
    m_context = context;
    m_windowId = SDL_GetWindowID(w);
    m_error.clear();
    return Created;
}

void CGLContext::destroy() {
    if (!m_context) return;
    if (SDL_GL_GetCurrentContext() == m_context) SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_context));
    m_context = nullptr;
    m_windowId = 0;
}

SGLObtained CGLContext::queryObtained() const {
    SGLObtained o;
    if (!m_context) return o;
    int value = 0;
    SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &o.red);
    SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &o.green);
    SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &o.blue);
    SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &o.alpha);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &o.depth);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &o.stencil);
    if (SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &value) == 0 && value > 0)
        SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &o.samples);
    value = 1;
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &value);
    o.doubleBuffer = value != 0;
    value = 0;
    SDL_GL_GetAttribute(SDL_GL_STEREO, &value);
    o.stereo = value != 0;
    return o;
}

bool CGLContext::makeCurrent() {
    // The window may have gone before the context (the device closed it).
    SDL_Window* window = m_windowId ? SDL_GetWindowFromID(m_windowId) : nullptr;
    if (!m_context || !window) return false;
    return SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(m_context)) == 0;
}

bool CGLContext::isCurrent() const {
    return m_context && SDL_GL_GetCurrentContext() == static_cast<SDL_GLContext>(m_context);
}

bool CGLContext::releaseCurrent() { return SDL_GL_MakeCurrent(nullptr, nullptr) == 0; }

void CGLContext::swapBuffers() {
    SDL_Window* window = m_windowId ? SDL_GetWindowFromID(m_windowId) : nullptr;
    if (window) SDL_GL_SwapWindow(window);
}

bool CGLContext::setSwapInterval(int interval) { return SDL_GL_SetSwapInterval(interval) == 0; }

void* getGLProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

void keepFreedHeapForSoftwareRasteriser(const char* renderer) {
#if defined(__GLIBC__)
    if (!renderer) return;
    const bool software = std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe") ||
                          std::strstr(renderer, "Software Rasterizer");
    static bool done = false;
    if (!software || done) return;
    done = true;
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#else
    (void)renderer;
#endif
}

}  // namespace oskel::platform
