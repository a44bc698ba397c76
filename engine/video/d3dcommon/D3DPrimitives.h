#pragma once

// What the Direct3D drivers share of drawing vertex lists: the flexible vertex formats of the
// engine's vertex types, the copy of vertices into their fields' order, and the drawing of the
// engine's primitive types with Direct3D's (written over the device's calls, which both faces
// name alike).

#include <vector>

#include "engine/platform/d3d/D3DCommon.h"
#include "engine/video/S2DVertex.h"

namespace oskel::d3dcommon {

using namespace oskel::d3d;

constexpr DWORD kFVF2D = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kFVFStandard = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kFVF2TCoords = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2;
constexpr DWORD kFVFTangents = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX3 |
                               D3DFVF_TEXCOORDSIZE3(1) | D3DFVF_TEXCOORDSIZE3(2);
// Positions alone (the stencil shadow volumes).
constexpr DWORD kFVFPosition = D3DFVF_XYZ;

// The flexible vertex format of a vertex type 0 to 3; false for other types.
bool fvfOf(u32 vertexType, DWORD& fvf);

// The vertices of types 1 to 3 copied into their format's field order (position, normal,
// diffuse colour, coordinate sets), where the engine keeps the normal after the coordinates;
// type 0 (and any other) needs no copy and is given back as it is.
const void* inFieldOrder(const void* vertices, u32 vertexCount, u32 vertexType,
                         std::vector<u8>& buffer);

// How an engine primitive type is drawn.
struct SPrimitivePlan {
    bool Draw = false;  // quad strips, quads, polygons and unknown types draw nothing
    D3DPRIMITIVETYPE Type = D3DPT_TRIANGLELIST;
    bool Points = false;     // points and point sprites: the point states around the draw
    bool Sprites = false;    // point sprites
    bool CloseLoop = false;  // line loops: a line from the strip's last entry to its first
};
SPrimitivePlan planPrimitives(u32 primitiveType);

// Draws primitive-count primitives of the plan from user memory: indexed with the 16-bit list
// (minimum index 0, the vertex count as range), or in order without one. Points get the point
// states (size = the thickness, scaled by distance with C = 1, minimum 0) and point sprites the
// sprite state around the draw. A loop is a strip closed by one more line from the strip's last
// entry to its first, taken from the index list when there is one.
template <class TDevice>
void drawPlanned(TDevice* device, const SPrimitivePlan& plan, const void* vertices, u32 vertexCount,
                 const u16* indices, u32 primitiveCount, u32 stride, f32 thickness) {
    if (!plan.Draw || !device) return;
    if (plan.Points) {
        if (plan.Sprites) device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
        device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
        device->SetRenderState(D3DRS_POINTSIZE, floatBits(thickness));
        device->SetRenderState(D3DRS_POINTSCALE_C, floatBits(1.0f));
        device->SetRenderState(D3DRS_POINTSIZE_MIN, floatBits(0.0f));
        device->SetRenderState(D3DRS_POINTSCALE_A, floatBits(0.0f));
        device->SetRenderState(D3DRS_POINTSCALE_B, floatBits(0.0f));
    }
    if (indices)
        device->DrawIndexedPrimitiveUP(plan.Type, 0, vertexCount, primitiveCount, indices,
                                       D3DFMT_INDEX16, vertices, stride);
    else
        device->DrawPrimitiveUP(plan.Type, primitiveCount, vertices, stride);
    if (plan.CloseLoop) {
        const u16 closing[2] = {
            indices ? indices[primitiveCount] : static_cast<u16>(primitiveCount),
            indices ? indices[0] : static_cast<u16>(0)};
        device->DrawIndexedPrimitiveUP(D3DPT_LINELIST, 0, vertexCount, 1, closing, D3DFMT_INDEX16,
                                       vertices, stride);
    }
    if (plan.Points) {
        device->SetRenderState(D3DRS_POINTSCALEENABLE, FALSE);
        if (plan.Sprites) device->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
    }
}

}  // namespace oskel::d3dcommon
