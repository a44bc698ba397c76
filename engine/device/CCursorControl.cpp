#include "engine/device/CCursorControl.h"

#include <vector>

#include "engine/image/CImage.h"

namespace oskel {

std::vector<u32> imagePixelsArgb(const CImage& image) {
    const s32 width = image.getDimension().Width;
    const s32 height = image.getDimension().Height;
    std::vector<u32> pixels;
    if (!image.lock() || width <= 0 || height <= 0) return pixels;
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (s32 y = 0; y < height; ++y)
        for (s32 x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                image.getPixel(x, y);
    return pixels;
}

void CCursorControl::setVisible(bool visible) {
    if (visible == m_visible) return;
    m_visible = visible;
    platform::showCursor(visible);
    updatePosition();
    setPosition(m_position.X, m_position.Y);
}

void CCursorControl::setPosition(s32 x, s32 y) {
    if (m_window && m_window->exists()) platform::warpMouse(*m_window, x, y);
    m_position.set(x, y);
}

void CCursorControl::updatePosition() {
    s32 x = -1, y = -1;
    if (!m_window || !platform::getMousePosition(*m_window, x, y)) x = y = -1;
    m_position.set(x, y);
}

void CCursorControl::setCursorImage(const CImage* image, s32 hotX, s32 hotY) {
    if (image) {
        const std::vector<u32> pixels = imagePixelsArgb(*image);
        if (pixels.empty()) return;  // no pixels: left as it was
        if (!platform::setCursorImage(pixels.data(), image->getDimension().Width,
                                      image->getDimension().Height, hotX, hotY))
            return;
    } else {
        platform::setArrowCursor();
    }
    // Nudge the cursor so the new picture shows at once.
    updatePosition();
    if (m_window && m_window->exists() && m_position.X >= 0) {
        platform::warpMouse(*m_window, m_position.X + 1, m_position.Y + 1);
        platform::warpMouse(*m_window, m_position.X, m_position.Y);
    }
}

}  // namespace oskel
