#pragma once

#include <vector>

#include "engine/core/ICursorControl.h"
#include "engine/core/OskelTypes.h"
#include "engine/platform/Window.h"

namespace oskel {

class CImage;

// The image's pixels as 32-bit ARGB, row after row (empty without pixels).
std::vector<u32> imagePixelsArgb(const CImage& image);

class CCursorControl : public ICursorControl {
public:
    explicit CCursorControl(platform::CWindow* window) : m_window(window) {}

    void setVisible(bool visible) override;
    bool isVisible() const override { return m_visible; }
    void setPosition(s32 x, s32 y) override;
    vector2di getPosition() const override { return m_position; }
    void updatePosition() override;
    void setCursorImage(const CImage* image, s32 hotX, s32 hotY) override;

    // The window system reports positions relative to the client area, in full screen and
    // windowed alike: there is no frame to take off.
    void setFullscreen(bool fullscreen) { m_fullscreen = fullscreen; }
    bool isFullscreen() const { return m_fullscreen; }

private:
    platform::CWindow* m_window;  // owned by the device
    vector2di m_position{0, 0};
    bool m_visible = true;
    bool m_fullscreen = true;
};

}  // namespace oskel
