#pragma once

// The box filters that make a mip level from the level above it, shared by the Direct3D drivers.

#include "engine/core/OskelTypes.h"

namespace oskel::d3dcommon {

// The pixel layouts the filters read and write.
enum EMipPixels : u8 {
    EMP_A8R8G8B8 = 0,
    EMP_R5G6B5 = 1,
    EMP_A1R5G5B5 = 2,
};

// Writes every pixel (x, y) of the lower level as the channel-wise average (sum of four divided
// by four, truncated) of the upper level's pixels (2x, 2y), (2x + 1, 2y), (2x, 2y + 1) and
// (2x + 1, 2y + 1); a coordinate beyond the upper level's last row or column takes that row or
// column (a level one pixel wide or high has nothing beside it). 16-bit pixels are widened to
// eight bits a channel first (R5G6B5 shifted left by 3, 2 and 3 with alpha 255; A1R5G5B5 colour
// shifted left by 3 with its top three bits repeated below, the alpha bit as 0 or 255) and
// narrowed after (shifted back; A1R5G5B5's alpha bit is the top bit of the averaged alpha). Rows
// advance by each level's pitch.
void boxFilterLevel(EMipPixels pixels, const u8* upper, u32 upperWidth, u32 upperHeight,
                    u32 upperPitch, u8* lower, u32 lowerWidth, u32 lowerHeight, u32 lowerPitch);

}  // namespace oskel::d3dcommon
