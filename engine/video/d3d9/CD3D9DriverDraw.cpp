// The Direct3D 9 driver's drawing: vertex lists, 2D primitives and images, the 3D line, the
// stencil shadows, the viewport and the screen shot.

#include "engine/core/CLogger.h"
#include "engine/image/CImage.h"
#include "engine/video/d3d9/CD3D9Driver.h"
#include "engine/video/d3d9/CD3D9Texture.h"
#include "engine/video/d3dcommon/D3DDriverDrawing.h"
#include "engine/video/d3dcommon/D3DImages.h"
#include "engine/video/d3dcommon/D3DPrimitives.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel {

using namespace d3d;

using Drawing = d3dcommon::TDriverDrawing<CD3D9Driver>;

void CD3D9Driver::setVertexType(u32 vertexType) {
    if (vertexType == m_lastVertexType) return;
    m_lastVertexType = vertexType;
    DWORD fvf = 0;
    if (!m_device || !d3dcommon::fvfOf(vertexType, fvf)) return;
    if (FAILED(m_device->SetFVF(fvf)))
        CLogger::instance().log("Could not set vertex Shader.", LogError);
}

void CD3D9Driver::drawVertexPrimitiveList(const void* vertices, u32 vertexCount, const u16* indices,
                                          u32 primitiveCount, u32 vertexType, u32 primitiveType) {
    Drawing::drawVertexPrimitiveList(*this, vertices, vertexCount, indices, primitiveCount,
                                     vertexType, primitiveType);
}

// Images, with their own fixed states.

void CD3D9Driver::drawImageQuad(const void* corners) { Drawing::drawImageQuad(*this, corners); }

void CD3D9Driver::draw2DImage(ITexture* texture, const vector2di& position, const recti& sourceRect,
                              const recti* clipRect, SColor color, bool useAlphaChannel) {
    Drawing::draw2DImage(*this, texture, position, sourceRect, clipRect, color, useAlphaChannel);
}

void CD3D9Driver::draw2DImageStretched(ITexture* texture, const recti& destRect,
                                       const recti& sourceRect, const recti* clipRect,
                                       const SColor* colors, bool useAlphaChannel) {
    if (!texture || !m_device) return;
    // An inverted clip rectangle leaves nothing to draw (the scissor test would refuse it and
    // let the whole image through).
    if (clipRect && !clipRect->isValid()) return;
    d3dcommon::SFVFStandardVertex corners[4];
    bool alpha = false;
    d3dcommon::stretchedImageQuad(destRect, sourceRect, getCurrentRenderTargetSize(),
                                  texture->getOriginalSize(), colors, corners, alpha);
    setFixed2DStates(alpha, true, useAlphaChannel);
    static_cast<void>(setTexture(0, texture));
    if (clipRect) {
        const RECT scissor{clipRect->UpperLeftCorner.X, clipRect->UpperLeftCorner.Y,
                           clipRect->LowerRightCorner.X, clipRect->LowerRightCorner.Y};
        m_device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
        m_device->SetScissorRect(&scissor);
    }
    drawImageQuad(corners);
    if (clipRect) m_device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
}

// Rectangles, lines and pixels, in 2D mode with the current material's states.

void CD3D9Driver::draw2DRectangleGradient(const recti& rect, SColor upperLeft, SColor upperRight,
                                          SColor lowerLeft, SColor lowerRight,
                                          const recti* clipRect) {
    Drawing::draw2DRectangleGradient(*this, rect, upperLeft, upperRight, lowerLeft, lowerRight,
                                     clipRect);
}

void CD3D9Driver::draw2DLine(const vector2df& start, const vector2df& end, SColor color) {
    Drawing::draw2DLine(*this, start, end, color);
}

void CD3D9Driver::drawPixel(u32 x, u32 y, SColor color) { Drawing::drawPixel(*this, x, y, color); }

void CD3D9Driver::draw3DLine(const vector3df& start, const vector3df& end, SColor color) {
    Drawing::draw3DLine(*this, start, end, color);
}

// Stencil shadows.

void CD3D9Driver::drawStencilShadowVolume(const vector3df* triangles, s32 cornerCount,
                                          bool depthFail) {
    Drawing::drawStencilShadowVolume(*this, triangles, cornerCount, depthFail);
}

void CD3D9Driver::drawStencilShadow(bool clearStencilBuffer, SColor leftUp, SColor rightUp,
                                    SColor leftDown, SColor rightDown) {
    Drawing::drawStencilShadow(*this, clearStencilBuffer, leftUp, rightUp, leftDown, rightDown);
}

// The viewport and the screen shot.

void CD3D9Driver::setViewPort(const recti& area) { Drawing::setViewPort(*this, area); }

CImage* CD3D9Driver::createScreenShot() {
    if (!m_device) return nullptr;
    D3DDISPLAYMODE mode{};
    if (FAILED(m_device->GetDisplayMode(0, &mode))) return nullptr;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(m_device->CreateOffscreenPlainSurface(mode.Width, mode.Height, D3DFMT_A8R8G8B8,
                                                     D3DPOOL_SCRATCH, &surface, nullptr)) ||
        !surface)
        return nullptr;
    if (FAILED(m_device->GetFrontBufferData(0, surface))) {
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
