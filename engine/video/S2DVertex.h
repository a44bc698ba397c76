#pragma once

#include <vector2d.h>
#include <vector3d.h>

#include "engine/video/SColorUtils.h"

namespace oskel {

using vector3df = irr::core::vector3df;

// Vertex layouts. All of them begin with the 24 bytes of S2DVertex.
enum EVertexType : u32 {
    EVT_2D = 0,        // S2DVertex: position, colour, texture coordinates
    EVT_STANDARD = 1,  // and a normal
    EVT_2TCOORDS = 2,  // and a normal and a second pair of texture coordinates
    EVT_TANGENTS = 3,  // and a normal, a tangent and a binormal
};

// The sprite vertex: x, y, z, colour (ARGB), u, v. The colour of a default vertex is undefined.
struct S2DVertex {
    S2DVertex() {}
    S2DVertex(f32 x, f32 y, f32 z, SColor color, f32 u, f32 v)
        : Pos(x, y, z), Color(color), TCoords(u, v) {}
    S2DVertex(const vector3df& pos, SColor color, const vector2df& tcoords)
        : Pos(pos), Color(color), TCoords(tcoords) {}

    bool operator==(const S2DVertex& o) const {
        return Pos == o.Pos && Color == o.Color && TCoords == o.TCoords;
    }
    bool operator!=(const S2DVertex& o) const { return !(*this == o); }

    vector3df Pos;
    SColor Color;
    vector2df TCoords;
};

struct SStandardVertex : S2DVertex {
    vector3df Normal;
};

struct SVertex2TCoords : SStandardVertex {
    vector2df TCoords2;
};

struct SVertexTangents : SStandardVertex {
    vector3df Tangent;
    vector3df Binormal;
};

static_assert(sizeof(S2DVertex) == 24, "the sprite vertex is 24 bytes");
static_assert(sizeof(SStandardVertex) == 36, "the standard vertex is 36 bytes");
static_assert(sizeof(SVertex2TCoords) == 44, "the two-coordinate vertex is 44 bytes");
static_assert(sizeof(SVertexTangents) == 60, "the tangent vertex is 60 bytes");

// Bytes per vertex of a layout: 36, 44 and 60 for types 1 to 3, 24 for every other value.
inline u32 getVertexPitchFromType(u32 type) {
    switch (type) {
        case EVT_STANDARD: return 36;
        case EVT_2TCOORDS: return 44;
        case EVT_TANGENTS: return 60;
        default: return 24;
    }
}

// Primitive types of vertex lists; indices are always 16-bit.
enum EPrimitiveType : u32 {
    EPT_POINTS = 0,
    EPT_LINE_STRIP = 1,
    EPT_LINE_LOOP = 2,
    EPT_LINES = 3,
    EPT_TRIANGLE_STRIP = 4,
    EPT_TRIANGLE_FAN = 5,
    EPT_TRIANGLES = 6,
    EPT_QUAD_STRIP = 7,
    EPT_QUADS = 8,
    EPT_POLYGON = 9,
    EPT_POINT_SPRITES = 10,
};

}  // namespace oskel
