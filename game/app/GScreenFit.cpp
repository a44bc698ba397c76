#include "game/app/GScreenFit.h"

#include <cmath>

namespace brasquel {

using namespace oskel;

SScreenFit computeScreenFit(s32 width, s32 height) {
    SScreenFit fit;
    const f32 r = 1024.0f / 768.0f;
    fit.designRatio = r;
    if (width <= 0 || height <= 0) return fit;  // no screen yet: nothing to fit
    const f32 w = static_cast<f32>(width);
    const f32 h = static_cast<f32>(height);
    const f32 s = w / h;
    // The height of the design at the full width and its width at the full height, truncated;
    // worked out in double precision with the single-precision ratio (so 1024 / r is 767).
    const s32 widthHeight = static_cast<s32>(static_cast<f64>(width) / static_cast<f64>(r));
    const s32 heightWidth = static_cast<s32>(static_cast<f64>(height) * static_cast<f64>(r));
    const f32 diff = std::fabs(s - r) / r;
    fit.screenRatio = s;
    fit.difference = diff;
    if (diff < 0.1f) {
        fit.stretched = true;
        fit.scaleX = w / 1024.0f;
        fit.scaleY = h / 768.0f;
        fit.leftBar = irr::core::rect<s32>(0, 0, 0, height);
        fit.rightBar = irr::core::rect<s32>(width, 0, width, height);
    } else if (heightWidth > width) {
        // Narrower than the design: full width, bars above and below.
        fit.scaleX = fit.scaleY = w / 1024.0f;
        const s32 top = (height - widthHeight) / 2;
        fit.positionY = top;
        fit.leftBar = irr::core::rect<s32>(0, 0, width, top);
        fit.rightBar = irr::core::rect<s32>(0, top + widthHeight, width, height);
    } else {
        // As wide as the design or wider: full height, bars left and right.
        fit.scaleX = fit.scaleY = h / 768.0f;
        const s32 margin = (width - heightWidth) / 2;
        fit.positionX = margin;
        fit.leftBar = irr::core::rect<s32>(0, 0, margin, height);
        fit.rightBar = irr::core::rect<s32>(margin + heightWidth, 0, width, height);
    }
    return fit;
}

}  // namespace brasquel
