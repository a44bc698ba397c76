#pragma once

#include <rect.h>

#include "engine/core/OskelTypes.h"

namespace brasquel {

// How the 1024 x 768 design is placed on a screen of another size: stretched when the aspect
// ratios differ by less than a tenth, otherwise scaled uniformly and centred between two black
// bars (left and right on a wide screen, top and bottom on a narrow one).
struct SScreenFit {
    oskel::f32 scaleX = 1.0f, scaleY = 1.0f;
    oskel::s32 positionX = 0, positionY = 0;
    irr::core::rect<oskel::s32> leftBar{0, 0, 0, 768};         // or the top bar
    irr::core::rect<oskel::s32> rightBar{1024, 0, 1024, 768};  // or the bottom bar
    bool stretched = false;
    oskel::f32 screenRatio = 0.0f, designRatio = 0.0f, difference = 0.0f;
};

SScreenFit computeScreenFit(oskel::s32 width, oskel::s32 height);

}  // namespace brasquel
