// The Direct3D 8 driver's drawing: vertex lists, 2D primitives and images, the 3D line, the
// stencil shadows, the viewport and the screen shot.

#include "engine/core/CLogger.h"
#include "engine/image/CImage.h"
#include "engine/video/d3d8/CD3D8Driver.h"
#include "engine/video/d3d8/CD3D8Texture.h"
#include "engine/video/d3dcommon/D3DImages.h"
#include "engine/video/d3dcommon/D3DPrimitives.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel {

using namespace d3d;

namespace {

// The stencil fill quad's two triangles over its corners.
const u16 kShadowQuadIndices[6] = {0, 1, 2, 1, 3, 2};

constexpr u32 kPositionStride = sizeof(f32) * 3;

}  // namespace

void CD3D8Driver::setVertexType(u32 vertexType) {
    // Sent on every call, also when it has not changed.
    m_lastVertexType = vertexType;
    DWORD fvf = 0;
    if (!m_device || !d3dcommon::fvfOf(vertexType, fvf)) return;
    if (FAILED(m_device->SetVertexShader(fvf)))
        CLogger::instance().log("Could not set vertex Shader.", LogError);
}

void CD3D8Driver::drawVertexPrimitiveList(const void* vertices, u32 vertexCount, const u16* indices,
                                          u32 primitiveCount, u32 vertexType, u32 primitiveType) {
    if (!checkPrimitiveCount(primitiveCount)) return;
    CNullDriver::drawVertexPrimitiveList(vertices, vertexCount, indices, primitiveCount, vertexType,
                                         primitiveType);
    if (!vertexCount || !primitiveCount || !vertices || !m_device) return;
    setVertexType(vertexType);
    const u32 stride = getVertexPitchFromType(vertexType);
    if (m_renderMode == RenderMode2D) {
        if (!set2DRenderMode()) return;
    } else if (m_renderMode == RenderMode3D) {
        if (!set3DRenderMode()) return;
    } else {
        return;  // stencil and shadow modes, images and none draw no vertex lists
    }
    const void* data = d3dcommon::inFieldOrder(vertices, vertexCount, vertexType, m_vertexBuffer);
    d3dcommon::drawPlanned(m_device, d3dcommon::planPrimitives(primitiveType), data, vertexCount,
                           indices, primitiveCount, stride, m_materialState.current().Thickness);
}

// Images, with their own fixed states.

void CD3D8Driver::drawImageQuad(const void* corners) {
    setVertexType(EVT_STANDARD);
    m_device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, d3dcommon::kQuadIndices,
                                     D3DFMT_INDEX16, corners,
                                     sizeof(d3dcommon::SFVFStandardVertex));
}

void CD3D8Driver::draw2DImage(ITexture* texture, const vector2di& position, const recti& sourceRect,
                              const recti* clipRect, SColor color, bool useAlphaChannel) {
    if (!texture || !m_device) return;
    if (sourceRect.LowerRightCorner.X < sourceRect.UpperLeftCorner.X ||
        sourceRect.LowerRightCorner.Y < sourceRect.UpperLeftCorner.Y)
        return;
    if (!setTexture(0, texture)) return;
    d3dcommon::SFVFStandardVertex corners[4];
    if (!d3dcommon::imageQuad(position, sourceRect, clipRect, getCurrentRenderTargetSize(),
                              texture->getOriginalSize(), color, corners))
        return;
    setFixed2DStates(color.getAlpha() < 255, true, useAlphaChannel);
    drawImageQuad(corners);
}

void CD3D8Driver::draw2DImageStretched(ITexture* texture, const recti& destRect,
                                       const recti& sourceRect, const recti*, const SColor* colors,
                                       bool useAlphaChannel) {
    if (!texture || !m_device) return;
    // Direct3D 8 has no scissor test: the clip rectangle is not applied and the image is drawn
    // whole.
    d3dcommon::SFVFStandardVertex corners[4];
    bool alpha = false;
    d3dcommon::stretchedImageQuad(destRect, sourceRect, getCurrentRenderTargetSize(),
                                  texture->getOriginalSize(), colors, corners, alpha);
    setFixed2DStates(alpha, true, useAlphaChannel);
    static_cast<void>(setTexture(0, texture));
    drawImageQuad(corners);
}

// Rectangles, lines and pixels, in 2D mode with the current material's states.

void CD3D8Driver::draw2DRectangleGradient(const recti& rect, SColor upperLeft, SColor upperRight,
                                          SColor lowerLeft, SColor lowerRight,
                                          const recti* clipRect) {
    if (!m_device) return;
    recti r = rect;
    if (!d3dcommon::clipRectangle(r, clipRect)) return;
    const f32 left = static_cast<f32>(r.UpperLeftCorner.X);
    const f32 top = static_cast<f32>(r.UpperLeftCorner.Y);
    const f32 right = static_cast<f32>(r.LowerRightCorner.X);
    const f32 bottom = static_cast<f32>(r.LowerRightCorner.Y);
    const S2DVertex corners[4] = {S2DVertex(left, top, 0.0f, upperLeft, 0.0f, 0.0f),
                                  S2DVertex(right, top, 0.0f, upperRight, 0.0f, 0.0f),
                                  S2DVertex(right, bottom, 0.0f, lowerRight, 0.0f, 0.0f),
                                  S2DVertex(left, bottom, 0.0f, lowerLeft, 0.0f, 0.0f)};
    static_cast<void>(set2DRenderMode());
    unbindStage0();
    setVertexType(EVT_2D);
    m_device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, d3dcommon::kQuadIndices,
                                     D3DFMT_INDEX16, corners, sizeof(S2DVertex));
}

void CD3D8Driver::draw2DLine(const vector2df& start, const vector2df& end, SColor color) {
    if (!m_device) return;
    const S2DVertex points[2] = {S2DVertex(start.X, start.Y, 0.0f, color, 0.0f, 0.0f),
                                 S2DVertex(end.X, end.Y, 0.0f, color, 0.0f, 0.0f)};
    static_cast<void>(set2DRenderMode());
    unbindStage0();
    setVertexType(EVT_2D);
    m_device->DrawPrimitiveUP(D3DPT_LINELIST, 1, points, sizeof(S2DVertex));
}

void CD3D8Driver::drawPixel(u32 x, u32 y, SColor color) {
    if (!m_device) return;
    const dimension2di& size = getCurrentRenderTargetSize();
    if (x > static_cast<u32>(size.Width) || y > static_cast<u32>(size.Height)) return;
    const S2DVertex point(static_cast<f32>(x), static_cast<f32>(y), 0.0f, color, 0.0f, 0.0f);
    static_cast<void>(set2DRenderMode());
    unbindStage0();
    setVertexType(EVT_2D);
    m_device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof(S2DVertex));
}

void CD3D8Driver::draw3DLine(const vector3df& start, const vector3df& end, SColor color) {
    if (!m_device) return;
    setVertexType(EVT_STANDARD);
    if (!set3DRenderMode()) return;
    const d3dcommon::SFVFStandardVertex points[2] = {
        {start.X, start.Y, start.Z, 0.0f, 0.0f, 0.0f, color.color, 0.0f, 0.0f},
        {end.X, end.Y, end.Z, 0.0f, 0.0f, 0.0f, color.color, 0.0f, 0.0f}};
    m_device->DrawPrimitiveUP(D3DPT_LINELIST, 1, points, sizeof(d3dcommon::SFVFStandardVertex));
}

// Stencil shadows.

void CD3D8Driver::drawStencilShadowVolume(const vector3df* triangles, s32 cornerCount,
                                          bool depthFail) {
    if (!m_stencilBuffer || !triangles || cornerCount <= 0 || !m_device) return;
    setShadowVolumeStates(depthFail);
    const UINT count = static_cast<UINT>(cornerCount / 3);
    if (count == 0) return;
    auto draw = [&]() {
        m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, count, triangles, kPositionStride);
    };
    if (!depthFail) {
        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        m_device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCRSAT);
        draw();
        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        m_device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_DECRSAT);
        draw();
    } else {
        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        m_device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_INCRSAT);
        draw();
        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        m_device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_DECRSAT);
        draw();
    }
}

void CD3D8Driver::drawStencilShadow(bool clearStencilBuffer, SColor leftUp, SColor rightUp,
                                    SColor leftDown, SColor rightDown) {
    if (!m_stencilBuffer || !m_device) return;
    const d3dcommon::SFVFStandardVertex corners[4] = {
        {1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, leftUp.color, 0.0f, 0.0f},
        {1.0f, -1.0f, 0.0f, 0.0f, 0.0f, 0.0f, rightUp.color, 0.0f, 1.0f},
        {-1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, leftDown.color, 1.0f, 0.0f},
        {-1.0f, -1.0f, 0.0f, 0.0f, 0.0f, 0.0f, rightDown.color, 1.0f, 1.0f}};
    const bool alpha = leftUp.getAlpha() < 255 || rightUp.getAlpha() < 255 ||
                       leftDown.getAlpha() < 255 || rightDown.getAlpha() < 255;
    setStencilFillStates(alpha);
    unbindStage0();
    setVertexType(EVT_STANDARD);
    m_device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kShadowQuadIndices,
                                     D3DFMT_INDEX16, corners,
                                     sizeof(d3dcommon::SFVFStandardVertex));
    if (clearStencilBuffer) m_device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0);
}

// The viewport and the screen shot.

void CD3D8Driver::setViewPort(const recti& area) {
    const recti vp = d3dcommon::clipViewport(area, m_screenSize);
    bool set = false;
    if (vp.getWidth() > 0 && vp.getHeight() > 0 && m_device) {
        const D3DVIEWPORT8 viewport{static_cast<DWORD>(vp.UpperLeftCorner.X),
                                    static_cast<DWORD>(vp.UpperLeftCorner.Y),
                                    static_cast<DWORD>(vp.getWidth()),
                                    static_cast<DWORD>(vp.getHeight()),
                                    0.0f,
                                    1.0f};
        set = SUCCEEDED(m_device->SetViewport(&viewport));
    }
    if (!set) CLogger::instance().log("Failed setting the viewport.", LogWarning);
    m_viewPort = vp;
}

CImage* CD3D8Driver::createScreenShot() {
    if (!m_device) return nullptr;
    D3DDISPLAYMODE mode{};
    if (FAILED(m_device->GetDisplayMode(&mode))) return nullptr;
    IDirect3DSurface8* surface = nullptr;
    if (FAILED(m_device->CreateImageSurface(mode.Width, mode.Height, D3DFMT_A8R8G8B8, &surface)) ||
        !surface)
        return nullptr;
    if (FAILED(m_device->GetFrontBuffer(surface))) {
        surface->Release();
        return nullptr;
    }
    POINT corner{0, 0};
    ClientToScreen(m_window, &corner);
    const RECT area{corner.x, corner.y, corner.x + m_screenSize.Width,
                    corner.y + m_screenSize.Height};
    D3DLOCKED_RECT locked{};
    if (FAILED(surface->LockRect(&locked, &area, D3DLOCK_READONLY))) {
        surface->Release();
        return nullptr;
    }
    auto* image = new CImage(CCreationContext(), ECF_A8R8G8B8, m_screenSize);
    const auto* first = static_cast<const u8*>(locked.pBits);
    const bool fillAlpha = mode.Format == D3DFMT_X8R8G8B8 && first[3] != 255;
    d3dcommon::copyScreenRows(
        first, static_cast<u32>(locked.Pitch), static_cast<u8*>(image->lock()), image->getPitch(),
        static_cast<u32>(m_screenSize.Width), static_cast<u32>(m_screenSize.Height), fillAlpha);
    image->unlock();
    surface->UnlockRect();
    surface->Release();
    return image;
}

}  // namespace oskel
