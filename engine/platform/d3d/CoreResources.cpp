#include <algorithm>
#include <cstring>

#include "engine/platform/d3d/D3DCore.h"

namespace oskel::d3d {

// ---------------------------------------------------------------------------------------------
// Formats: how each one lies in memory (rows from the top, pixels as Direct3D packs them) and
// the OpenGL formats that take and give that layout unchanged.

namespace {

const SFormatInfo g_formats[] = {
    // format, bytes, internal, transfer format, type, depth, stencil, alpha, floating
    {D3DFMT_A8R8G8B8, 4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, false, false, true, false},
    {D3DFMT_X8R8G8B8, 4, GL_RGB8, GL_BGRA, GL_UNSIGNED_BYTE, false, false, false, false},
    {D3DFMT_R8G8B8, 3, GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE, false, false, false, false},
    {D3DFMT_R5G6B5, 2, GL_RGB5, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, false, false, false, false},
    {D3DFMT_X1R5G5B5, 2, GL_RGB5, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false, false, false,
     false},
    {D3DFMT_A1R5G5B5, 2, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false, false, true,
     false},
    {D3DFMT_A8B8G8R8, 4, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, false, false, true, false},
    {D3DFMT_R16F, 2, GL_R16F, GL_RED, GL_HALF_FLOAT, false, false, false, true},
    {D3DFMT_G16R16F, 4, GL_RG16F, GL_RG, GL_HALF_FLOAT, false, false, false, true},
    {D3DFMT_A16B16G16R16F, 8, GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, false, false, true, true},
    {D3DFMT_R32F, 4, GL_R32F, GL_RED, GL_FLOAT, false, false, false, true},
    {D3DFMT_G32R32F, 8, GL_RG32F, GL_RG, GL_FLOAT, false, false, false, true},
    {D3DFMT_A32B32G32R32F, 16, GL_RGBA32F, GL_RGBA, GL_FLOAT, false, false, true, true},
    {D3DFMT_D16, 2, GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, true, false, false,
     false},
    {D3DFMT_D24X8, 4, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, true, false, false,
     false},
    {D3DFMT_D24S8, 4, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, true, true,
     false, false},
    {D3DFMT_D32, 4, GL_DEPTH_COMPONENT32, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, true, false, false,
     false},
};

}  // namespace

const SFormatInfo* formatInfo(D3DFORMAT format) {
    for (const SFormatInfo& info : g_formats)
        if (info.format == format) return &info;
    return nullptr;
}

bool isColorFormat(D3DFORMAT format) {
    const SFormatInfo* info = formatInfo(format);
    return info && !info->depth;
}

bool isDepthFormat(D3DFORMAT format) {
    const SFormatInfo* info = formatInfo(format);
    return info && info->depth;
}

bool isBackBufferFormat(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Surfaces

CCoreSurface::CCoreSurface(CCoreDevice* device, CCoreTexture* container, uint32_t level,
                           D3DFORMAT format, uint32_t width, uint32_t height, D3DPOOL pool,
                           DWORD usage, uint32_t samples, bool implicit)
    : m_device(device),
      m_container(container),
      m_level(level),
      m_format(format),
      m_width(width),
      m_height(height),
      m_pool(pool),
      m_usage(usage),
      m_samples(samples),
      m_implicit(implicit) {
    // A standalone surface starts with its creator's reference; implicit surfaces and texture
    // levels count nothing of their own.
    if (!container && !implicit) m_refs = 1;
    if (!container) {
        m_device->addChild();
        if (!implicit) m_device->resourceCreated(pool);
    }
}

CCoreSurface::~CCoreSurface() {
    if (m_device && m_device->usesGL() &&
        (m_storage == Storage::Texture || m_storage == Storage::Renderbuffer)) {
        if (m_storage == Storage::Texture)
            m_device->deleteGLTexture(m_glName);
        else
            m_device->deleteGLRenderbuffer(m_glName);
        if (m_glResolve) m_device->deleteGLTexture(m_glResolve);
    }
    if (!m_container) {
        if (!m_implicit) m_device->resourceDestroyed(m_pool);
        m_device->removeChild();
    }
}

uint32_t CCoreSurface::pitch() const {
    const SFormatInfo* info = formatInfo(m_format);
    return info ? info->bytes * m_width : 0;
}

void CCoreSurface::allocateMemory() {
    const SFormatInfo* info = formatInfo(m_format);
    if (info) m_memory.assign(static_cast<size_t>(info->bytes) * m_width * m_height, 0);
}

uint32_t CCoreSurface::addRef() {
    if (m_container) return m_container->addRef();
    return ++m_refs;
}

uint32_t CCoreSurface::release() {
    if (m_container) return m_container->release();
    if (m_refs == 0) return 0;
    const uint32_t left = --m_refs;
    if (left == 0 && m_holds == 0 && (!m_implicit || m_orphaned)) destroy();
    return left;
}

void CCoreSurface::hold() {
    if (m_container)
        m_container->hold();
    else
        ++m_holds;
}

void CCoreSurface::unhold() {
    if (m_container) {
        m_container->unhold();
        return;
    }
    if (m_holds > 0) --m_holds;
    if (m_holds == 0 && m_refs == 0 && (!m_implicit || m_orphaned)) destroy();
}

void CCoreSurface::orphan() {
    m_orphaned = true;
    if (m_refs == 0 && m_holds == 0) destroy();
}

void CCoreSurface::destroy() { delete this; }

HRESULT CCoreSurface::lockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (!locked) return D3DERR_INVALIDCALL;
    locked->pBits = nullptr;
    locked->Pitch = 0;
    if (m_locked || m_memory.empty()) return D3DERR_INVALIDCALL;
    RECT r{0, 0, static_cast<LONG>(m_width), static_cast<LONG>(m_height)};
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
            rect->top >= rect->bottom || rect->right > static_cast<LONG>(m_width) ||
            rect->bottom > static_cast<LONG>(m_height))
            return D3DERR_INVALIDCALL;
        r = *rect;
    }
    const SFormatInfo* info = formatInfo(m_format);
    locked->Pitch = static_cast<INT>(pitch());
    locked->pBits = m_memory.data() + static_cast<size_t>(r.top) * pitch() +
                    static_cast<size_t>(r.left) * info->bytes;
    m_locked = true;
    m_lockReadOnly = (flags & D3DLOCK_READONLY) != 0;
    return D3D_OK;
}

HRESULT CCoreSurface::unlockRect() {
    if (!m_locked) return D3DERR_INVALIDCALL;
    m_locked = false;
    if (m_container && !m_lockReadOnly) m_container->uploadLevel(m_level);
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Textures

uint32_t CCoreTexture::fullChain(uint32_t width, uint32_t height) {
    uint32_t levels = 1;
    while (width > 1 || height > 1) {
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
        ++levels;
    }
    return levels;
}

CCoreTexture::CCoreTexture(CCoreDevice* device, uint32_t width, uint32_t height, uint32_t levels,
                           DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : m_device(device), m_format(format), m_pool(pool), m_usage(usage) {
    m_device->addChild();
    m_device->resourceCreated(pool);
    if (levels == 0) levels = fullChain(width, height);
    levels = std::min(levels, fullChain(width, height));

    // Memory for the levels a program may lock; OpenGL for those it may draw with.
    const bool lockable = pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC) != 0;
    const bool drawable = (pool == D3DPOOL_DEFAULT || pool == D3DPOOL_MANAGED) && device->usesGL();
    const bool keepMemory = lockable || !device->usesGL();

    const SFormatInfo* info = formatInfo(format);
    if (drawable && device->makeCurrent()) {
        glGenTextures(1, &m_glName);
        glBindTexture(GL_TEXTURE_2D, m_glName);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
        // Channels a format does not have read as Direct3D gives them.
        if (format == D3DFMT_R16F || format == D3DFMT_R32F) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_G, GL_ONE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_B, GL_ONE);
        } else if (format == D3DFMT_G16R16F || format == D3DFMT_G32R32F) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_B, GL_ONE);
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        while (glGetError() != GL_NO_ERROR) {
        }
        // New textures are zero.
        std::vector<uint8_t> zero(static_cast<size_t>(info->bytes) * width * height, 0);
        uint32_t w = width, h = height;
        for (uint32_t l = 0; l < levels; ++l) {
            glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(l), static_cast<GLint>(info->internal),
                         static_cast<GLsizei>(w), static_cast<GLsizei>(h), 0, info->glFormat,
                         info->glType, zero.data());
            w = std::max(1u, w / 2);
            h = std::max(1u, h / 2);
        }
        m_glFailed = glGetError() != GL_NO_ERROR;
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    uint32_t w = width, h = height;
    for (uint32_t l = 0; l < levels; ++l) {
        auto surface =
            std::make_unique<CCoreSurface>(device, this, l, format, w, h, pool, usage, 0, false);
        if (m_glName) surface->setTextureLevelStorage();
        if (keepMemory) surface->allocateMemory();
        m_levels.push_back(std::move(surface));
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
}

CCoreTexture::~CCoreTexture() {
    m_levels.clear();
    if (m_glName) m_device->deleteGLTexture(m_glName);
    m_device->resourceDestroyed(m_pool);
    m_device->removeChild();
}

uint32_t CCoreTexture::addRef() { return ++m_refs; }

uint32_t CCoreTexture::release() {
    if (m_refs == 0) return 0;
    const uint32_t left = --m_refs;
    if (left == 0 && m_holds == 0) delete this;
    return left;
}

void CCoreTexture::hold() { ++m_holds; }

void CCoreTexture::unhold() {
    if (m_holds > 0) --m_holds;
    if (m_holds == 0 && m_refs == 0) delete this;
}

void CCoreTexture::uploadLevel(uint32_t level) {
    CCoreSurface* surface = this->level(level);
    if (!m_glName || !surface || !surface->hasMemory() || !m_device->makeCurrent()) return;
    const SFormatInfo* info = formatInfo(m_format);
    glBindTexture(GL_TEXTURE_2D, m_glName);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0,
                    static_cast<GLsizei>(surface->width()), static_cast<GLsizei>(surface->height()),
                    info->glFormat, info->glType, surface->memory().data());
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace oskel::d3d
