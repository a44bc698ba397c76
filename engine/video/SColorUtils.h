#pragma once

#include <SColor.h>
#include <matrix4.h>

#include "engine/core/OskelTypes.h"

namespace oskel {

// Colours: a packed colour is 32-bit ARGB (alpha in the top byte, blue in the lowest).
using SColor = irr::video::SColor;
using SColorf = irr::video::SColorf;
using matrix4 = irr::core::matrix4;

// Each channel becomes trunc(a x b / 255): a node's tint combined with its parent's colour.
u32 modulateColor(u32 a, u32 b);
inline SColor modulateColor(SColor a, SColor b) { return SColor(modulateColor(a.color, b.color)); }

// 16-bit A1R5G5B5: the alpha bit is set for alpha >= 128; each channel keeps its top 5 bits.
u16 colorToA1R5G5B5(u32 color);

// Float channels in 0..1 from a packed colour (each channel x 1/255) and back (each float x 255,
// truncated, and kept inside 0..255).
SColorf toFloatColor(u32 color);
u32 toPackedColor(const SColorf& color);

// The colour's bytes in the order of OpenGL colour arrays: red, green, blue, alpha.
u32 toRGBAByteOrder(u32 color);

// One shared identity matrix.
const matrix4& getIdentityMatrix();

}  // namespace oskel
