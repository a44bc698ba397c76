#pragma once

#include <vector>

#include "engine/core/OskelTypes.h"
#include "engine/platform/Window.h"

namespace oskel {

class CImage;

// The image's pixels as 32-bit ARGB, row after row (empty without pixels).
std::vector<u32> imagePixelsArgb(const CImage& image);

// The mouse cursor over the game's window: shown or hidden, its picture, and its position in the
// window's coordinates.
class ICursorControl : public virtual IReferenceCounted {
public:
    ~ICursorControl() override = default;
    // Shows or hides the system cursor; nothing when it already is so.
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
    // Moves the cursor to the position in the window (stored even when it cannot be moved).
    virtual void setPosition(s32 x, s32 y) = 0;
    // The position last known, without asking the system.
    virtual vector2di getPosition() const = 0;
    // Reads the position from the system; (-1, -1) when the window's place is unknown.
    virtual void updatePosition() = 0;
    // The picture of the cursor from an image with its hot spot; none restores the arrow.
    virtual void setCursorImage(const CImage* image, s32 hotX, s32 hotY) = 0;
};

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
