#pragma once

#include "engine/scene/BaseNode.h"

namespace brasquel {

// The scale the game's drawing nodes take from an absolute transform: the matrix diagonal
// (x from the first row, y from the second). Under a rotated parent this is not the length of
// the axes: such nodes keep their own axis-aligned shape and only follow the scale factors.
inline oskel::vector2df getDiagonalScale(const oskel::matrix4& m) {
    return oskel::vector2df(m[0], m[5]);
}

}  // namespace brasquel
