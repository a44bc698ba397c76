#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {

class CImage;

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

}  // namespace oskel
