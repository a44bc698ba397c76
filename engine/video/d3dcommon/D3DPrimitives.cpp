#include "engine/video/d3dcommon/D3DPrimitives.h"

#include <cstring>

namespace oskel::d3dcommon {

bool fvfOf(u32 vertexType, DWORD& fvf) {
    switch (vertexType) {
        case EVT_2D:
            fvf = kFVF2D;
            return true;
        case EVT_STANDARD:
            fvf = kFVFStandard;
            return true;
        case EVT_2TCOORDS:
            fvf = kFVF2TCoords;
            return true;
        case EVT_TANGENTS:
            fvf = kFVFTangents;
            return true;
        default:
            return false;
    }
}

const void* inFieldOrder(const void* vertices, u32 vertexCount, u32 vertexType,
                         std::vector<u8>& buffer) {
    if (vertexType != EVT_STANDARD && vertexType != EVT_2TCOORDS && vertexType != EVT_TANGENTS)
        return vertices;
    // Engine layout: position 0, colour 12, coordinates 16, normal 24, then the type's extras
    // from 36. Format order: position 0, normal 12, colour 24, coordinates 28, extras from 36.
    const u32 stride = getVertexPitchFromType(vertexType);
    buffer.resize(static_cast<size_t>(stride) * vertexCount);
    const auto* from = static_cast<const u8*>(vertices);
    u8* to = buffer.data();
    for (u32 i = 0; i < vertexCount; ++i, from += stride, to += stride) {
        std::memcpy(to, from, 12);                                      // position
        std::memcpy(to + 12, from + 24, 12);                            // normal
        std::memcpy(to + 24, from + 12, 4);                             // colour
        std::memcpy(to + 28, from + 16, 8);                             // coordinates
        if (stride > 36) std::memcpy(to + 36, from + 36, stride - 36);  // the extras
    }
    return buffer.data();
}

SPrimitivePlan planPrimitives(u32 primitiveType) {
    SPrimitivePlan p;
    p.Draw = true;
    switch (primitiveType) {
        case EPT_POINTS:
            p.Type = D3DPT_POINTLIST;
            p.Points = true;
            break;
        case EPT_POINT_SPRITES:
            p.Type = D3DPT_POINTLIST;
            p.Points = p.Sprites = true;
            break;
        case EPT_LINE_STRIP:
            p.Type = D3DPT_LINESTRIP;
            break;
        case EPT_LINE_LOOP:
            p.Type = D3DPT_LINESTRIP;
            p.CloseLoop = true;
            break;
        case EPT_LINES:
            p.Type = D3DPT_LINELIST;
            break;
        case EPT_TRIANGLE_STRIP:
            p.Type = D3DPT_TRIANGLESTRIP;
            break;
        case EPT_TRIANGLE_FAN:
            p.Type = D3DPT_TRIANGLEFAN;
            break;
        case EPT_TRIANGLES:
            p.Type = D3DPT_TRIANGLELIST;
            break;
        default:
            p.Draw = false;
            break;
    }
    return p;
}

}  // namespace oskel::d3dcommon
