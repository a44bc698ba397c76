#pragma once

// What the Direct3D drivers share of drawing: vertex lists, images at their size, 2D rectangles,
// lines and pixels, the 3D line, stencil shadows and the viewport, written once over the driver
// (which names these members alike in both faces and lets this helper reach them). The drivers'
// own functions hand over to it; stretched images and screen shots stay each driver's own.

#include "engine/core/CLogger.h"
#include "engine/video/S2DVertex.h"
#include "engine/video/d3dcommon/D3DImages.h"
#include "engine/video/d3dcommon/D3DPrimitives.h"
#include "engine/video/d3dcommon/D3DTables.h"

namespace oskel::d3dcommon {

using namespace oskel::d3d;

// The stencil fill quad's two triangles over its corners.
inline constexpr u16 kShadowQuadIndices[6] = {0, 1, 2, 1, 3, 2};
inline constexpr u32 kPositionStride = sizeof(f32) * 3;

template <class Driver>
struct TDriverDrawing {
    static void drawVertexPrimitiveList(Driver& d, const void* vertices, u32 vertexCount,
                                        const u16* indices, u32 primitiveCount, u32 vertexType,
                                        u32 primitiveType) {
        if (!d.checkPrimitiveCount(primitiveCount)) return;
        d.CNullDriver::drawVertexPrimitiveList(vertices, vertexCount, indices, primitiveCount,
                                               vertexType, primitiveType);
        if (!vertexCount || !primitiveCount || !vertices || !d.m_device) return;
        d.setVertexType(vertexType);
        const u32 stride = getVertexPitchFromType(vertexType);
        if (d.m_renderMode == Driver::RenderMode2D) {
            if (!d.set2DRenderMode()) return;
        } else if (d.m_renderMode == Driver::RenderMode3D) {
            if (!d.set3DRenderMode()) return;
        } else {
            return;  // stencil and shadow modes, images and none draw no vertex lists
        }
        const void* data = inFieldOrder(vertices, vertexCount, vertexType, d.m_vertexBuffer);
        drawPlanned(d.m_device, planPrimitives(primitiveType), data, vertexCount, indices,
                    primitiveCount, stride, d.m_materialState.current().Thickness);
    }

    static void drawImageQuad(Driver& d, const void* corners) {
        d.setVertexType(EVT_STANDARD);
        d.m_device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kQuadIndices,
                                           D3DFMT_INDEX16, corners, sizeof(SFVFStandardVertex));
    }

    static void draw2DImage(Driver& d, ITexture* texture, const vector2di& position,
                            const recti& sourceRect, const recti* clipRect, SColor color,
                            bool useAlphaChannel) {
        if (!texture || !d.m_device) return;
        if (sourceRect.LowerRightCorner.X < sourceRect.UpperLeftCorner.X ||
            sourceRect.LowerRightCorner.Y < sourceRect.UpperLeftCorner.Y)
            return;
        if (!d.setTexture(0, texture)) return;
        SFVFStandardVertex corners[4];
        if (!imageQuad(position, sourceRect, clipRect, d.getCurrentRenderTargetSize(),
                       texture->getOriginalSize(), color, corners))
            return;
        d.setFixed2DStates(color.getAlpha() < 255, true, useAlphaChannel);
        d.drawImageQuad(corners);
    }

    static void draw2DRectangleGradient(Driver& d, const recti& rect, SColor upperLeft,
                                        SColor upperRight, SColor lowerLeft, SColor lowerRight,
                                        const recti* clipRect) {
        if (!d.m_device) return;
        recti r = rect;
        if (!clipRectangle(r, clipRect)) return;
        const f32 left = static_cast<f32>(r.UpperLeftCorner.X);
        const f32 top = static_cast<f32>(r.UpperLeftCorner.Y);
        const f32 right = static_cast<f32>(r.LowerRightCorner.X);
        const f32 bottom = static_cast<f32>(r.LowerRightCorner.Y);
        const S2DVertex corners[4] = {S2DVertex(left, top, 0.0f, upperLeft, 0.0f, 0.0f),
                                      S2DVertex(right, top, 0.0f, upperRight, 0.0f, 0.0f),
                                      S2DVertex(right, bottom, 0.0f, lowerRight, 0.0f, 0.0f),
                                      S2DVertex(left, bottom, 0.0f, lowerLeft, 0.0f, 0.0f)};
        static_cast<void>(d.set2DRenderMode());
        d.unbindStage0();
        d.setVertexType(EVT_2D);
        d.m_device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kQuadIndices,
                                           D3DFMT_INDEX16, corners, sizeof(S2DVertex));
    }

    static void draw2DLine(Driver& d, const vector2df& start, const vector2df& end, SColor color) {
        if (!d.m_device) return;
        const S2DVertex points[2] = {S2DVertex(start.X, start.Y, 0.0f, color, 0.0f, 0.0f),
                                     S2DVertex(end.X, end.Y, 0.0f, color, 0.0f, 0.0f)};
        static_cast<void>(d.set2DRenderMode());
        d.unbindStage0();
        d.setVertexType(EVT_2D);
        d.m_device->DrawPrimitiveUP(D3DPT_LINELIST, 1, points, sizeof(S2DVertex));
    }

    static void drawPixel(Driver& d, u32 x, u32 y, SColor color) {
        if (!d.m_device) return;
        const dimension2di& size = d.getCurrentRenderTargetSize();
        if (x > static_cast<u32>(size.Width) || y > static_cast<u32>(size.Height)) return;
        const S2DVertex point(static_cast<f32>(x), static_cast<f32>(y), 0.0f, color, 0.0f, 0.0f);
        static_cast<void>(d.set2DRenderMode());
        d.unbindStage0();
        d.setVertexType(EVT_2D);
        d.m_device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof(S2DVertex));
    }

    static void draw3DLine(Driver& d, const vector3df& start, const vector3df& end, SColor color) {
        if (!d.m_device) return;
        d.setVertexType(EVT_STANDARD);
        if (!d.set3DRenderMode()) return;
        const SFVFStandardVertex points[2] = {
            {start.X, start.Y, start.Z, 0.0f, 0.0f, 0.0f, color.color, 0.0f, 0.0f},
            {end.X, end.Y, end.Z, 0.0f, 0.0f, 0.0f, color.color, 0.0f, 0.0f}};
        d.m_device->DrawPrimitiveUP(D3DPT_LINELIST, 1, points, sizeof(SFVFStandardVertex));
    }

    static void drawStencilShadowVolume(Driver& d, const vector3df* triangles, s32 cornerCount,
                                        bool depthFail) {
        if (!d.m_stencilBuffer || !triangles || cornerCount <= 0 || !d.m_device) return;
        d.setShadowVolumeStates(depthFail);
        const UINT count = static_cast<UINT>(cornerCount / 3);
        if (count == 0) return;
        auto draw = [&]() {
            d.m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, count, triangles, kPositionStride);
        };
        if (!depthFail) {
            d.m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
            d.m_device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCRSAT);
            draw();
            d.m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
            d.m_device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_DECRSAT);
            draw();
        } else {
            d.m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
            d.m_device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_INCRSAT);
            draw();
            d.m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
            d.m_device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_DECRSAT);
            draw();
        }
    }

    static void drawStencilShadow(Driver& d, bool clearStencilBuffer, SColor leftUp, SColor rightUp,
                                  SColor leftDown, SColor rightDown) {
        if (!d.m_stencilBuffer || !d.m_device) return;
        const SFVFStandardVertex corners[4] = {
            {1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, leftUp.color, 0.0f, 0.0f},
            {1.0f, -1.0f, 0.0f, 0.0f, 0.0f, 0.0f, rightUp.color, 0.0f, 1.0f},
            {-1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, leftDown.color, 1.0f, 0.0f},
            {-1.0f, -1.0f, 0.0f, 0.0f, 0.0f, 0.0f, rightDown.color, 1.0f, 1.0f}};
        const bool alpha = leftUp.getAlpha() < 255 || rightUp.getAlpha() < 255 ||
                           leftDown.getAlpha() < 255 || rightDown.getAlpha() < 255;
        d.setStencilFillStates(alpha);
        d.unbindStage0();
        d.setVertexType(EVT_STANDARD);
        d.m_device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kShadowQuadIndices,
                                           D3DFMT_INDEX16, corners, sizeof(SFVFStandardVertex));
        if (clearStencilBuffer) d.m_device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0);
    }

    static void setViewPort(Driver& d, const recti& area) {
        const recti vp = clipViewport(area, d.m_screenSize);
        bool set = false;
        if (vp.getWidth() > 0 && vp.getHeight() > 0 && d.m_device) {
            const D3DVIEWPORT viewport{static_cast<DWORD>(vp.UpperLeftCorner.X),
                                       static_cast<DWORD>(vp.UpperLeftCorner.Y),
                                       static_cast<DWORD>(vp.getWidth()),
                                       static_cast<DWORD>(vp.getHeight()),
                                       0.0f,
                                       1.0f};
            set = SUCCEEDED(d.m_device->SetViewport(&viewport));
        }
        if (!set) CLogger::instance().log("Failed setting the viewport.", LogWarning);
        d.m_viewPort = vp;
    }
};

}  // namespace oskel::d3dcommon
